// An engine definition made from an XDF and the ROM image it describes: which tables become the four
// maps, their axes, the limiters and constants, where every value came from and how sure it is, and
// one line for each thing the XDF describes that an engine definition cannot hold, or holds only in
// part.
#pragma once

#include "vantrell/xdf/XdfDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace vantrell::xdf {

// One key of the definition. An empty value is a key the import could not fill.
struct DefinitionKey
{
    QString section; // "initialisation" or "address locations"
    QString key;
    QString value;
    QString source; // where the value came from, in the user's words
    bool certain = false;
};

// The facts of an engine that no XDF holds (injector size, cylinders, capacity, the stock airflow
// meter, the steps of a map extension), taken from a definition the user picks.
struct EngineFacts
{
    QString name;                      // the definition's file name, for the sources
    std::map<QString, QString> values; // key of "initialisation" -> value, only the keys it has
};

// The facts of the definition at `path`; nothing, with `error` set, when the file cannot be read.
std::optional<EngineFacts> readEngineFacts(const QString& path, QString& error);

struct ImportResult
{
    std::vector<DefinitionKey> keys; // every key of a definition, in the order it is written
    QStringList refused;             // what the definition cannot hold, one line each
    QStringList partial;             // what it holds only in part, or only as a guess

    const DefinitionKey* find(const QString& key) const;
    DefinitionKey* find(const QString& key);
    // The keys the editor cannot load a definition without that have no value: romsize, the four
    // maps and their four axes.
    QStringList missing() const;
    // Why the editor would refuse a definition of these keys, one line each: the keys above without a
    // value, a romsize it does not take, a map or axis that is not an address inside the ROM (values
    // the user typed can be anything). Empty when the editor can load it.
    QStringList problems() const;
};

// Chooses what the definition holds from the XDF and the image's bytes (the image tells the ROM
// size and shows the maps' data). `facts` may be empty: the engine's facts are then 0, marked as
// guesses for the user to fill in. `imageName` names the image in the sources.
ImportResult importXdf(const XdfDocument& xdf, const QByteArray& image,
                       const std::optional<EngineFacts>& facts, const QString& imageName);

// The definition file's text: a comment naming `origin`, the two sections with every key that has a
// value (a key without one is left out), CR LF line ends. Values lose any line break.
QByteArray definitionText(const std::vector<DefinitionKey>& keys, const QString& origin);

// Writes the text to `path` through a file beside it that replaces the old one only when whole
// (QSaveFile), so a failed save leaves an earlier file as it was. False with `error` set on failure.
bool saveDefinition(const QString& path, const QByteArray& text, QString& error);

} // namespace vantrell::xdf
