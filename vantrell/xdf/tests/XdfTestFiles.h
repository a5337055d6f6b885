// The test XDFs (written by scripts/make_test_xdfs.py) and the demo ROM they describe.
#pragma once

#include "vantrell/xdf/XdfImport.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace vantrell::xdf::testing {

inline QString xdfPath(const char* name)
{
    return QStringLiteral(TESSAVEL_SOURCE_DIR "/vantrell/xdf/tests/data/") + QLatin1String(name);
}

inline QString demoPath(const char* relative)
{
    return QStringLiteral(TESSAVEL_SOURCE_DIR "/demo/") + QLatin1String(relative);
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// The import of a test XDF against a demo image, with or without a definition for the engine's facts.
inline ImportResult importFile(const char* xdf, const char* image = "data/demo.bin",
                               const char* base = nullptr)
{
    const XdfRead read = readXdfFile(xdfPath(xdf));
    EXPECT_TRUE(read.ok) << xdf << ": " << read.error.toStdString();
    std::optional<EngineFacts> facts;
    if (base != nullptr) {
        QString error;
        facts = readEngineFacts(demoPath(base), error);
        EXPECT_TRUE(facts.has_value()) << error.toStdString();
    }
    return importXdf(read.document, fileBytes(demoPath(image)), facts, QStringLiteral("demo.bin"));
}

inline std::string value(const ImportResult& r, const char* key)
{
    const DefinitionKey* k = r.find(QString::fromLatin1(key));
    EXPECT_NE(k, nullptr) << key;
    return k != nullptr ? k->value.toStdString() : std::string();
}

inline bool certain(const ImportResult& r, const char* key)
{
    const DefinitionKey* k = r.find(QString::fromLatin1(key));
    return k != nullptr && k->certain;
}

// True when one of the lines holds every one of the parts.
inline bool anyLineHas(const QStringList& lines, std::vector<const char*> parts)
{
    for (const QString& line : lines) {
        bool all = true;
        for (const char* p : parts)
            all = all && line.contains(QLatin1String(p));
        if (all)
            return true;
    }
    return false;
}

inline std::string joined(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

} // namespace vantrell::xdf::testing
