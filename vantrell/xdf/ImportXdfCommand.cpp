#include "vantrell/xdf/ImportXdfCommand.h"

#include "vantrell/xdf/XdfImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace vantrell::xdf {

namespace {

const char* const kUsage = "usage: vantrell --import-xdf FILE.xdf --image ROM.bin --out DEF.ini "
                           "[--base DEF.ini] [--set KEY=VALUE]...";

} // namespace

bool isImportXdfCommand(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--import-xdf") == 0)
            return true;
    return false;
}

int importXdfMain(int argc, char* argv[])
{
    QCoreApplication app(argc, argv); // for the arguments as the system passes them
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runImportXdf(QCoreApplication::arguments().mid(1), out, err);
}

int runImportXdf(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QString xdfPath, imagePath, outPath, basePath;
    QStringList settings;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString* target = a == QLatin1String("--import-xdf") ? &xdfPath
                          : a == QLatin1String("--image")    ? &imagePath
                          : a == QLatin1String("--out")      ? &outPath
                          : a == QLatin1String("--base")     ? &basePath
                                                             : nullptr;
        const bool isSet = a == QLatin1String("--set");
        if ((target == nullptr && !isSet) || i + 1 >= arguments.size()) {
            err << (target == nullptr && !isSet ? QStringLiteral("unknown argument %1").arg(a)
                                                : QStringLiteral("%1 needs a value").arg(a))
                << '\n'
                << kUsage << '\n';
            return BadArguments;
        }
        if (isSet)
            settings << arguments[++i];
        else
            *target = arguments[++i];
    }
    if (xdfPath.isEmpty() || imagePath.isEmpty() || outPath.isEmpty()) {
        err << kUsage << '\n';
        return BadArguments;
    }

    const XdfRead xdf = readXdfFile(xdfPath);
    if (!xdf.ok) {
        err << QStringLiteral("%1 cannot be read: %2").arg(xdfPath, xdf.error) << '\n';
        return Unreadable;
    }
    QFile imageFile(imagePath);
    if (!imageFile.open(QIODevice::ReadOnly)) {
        err << QStringLiteral("%1 cannot be read: %2").arg(imagePath, imageFile.errorString()) << '\n';
        return Unreadable;
    }
    const QByteArray image = imageFile.readAll();
    std::optional<EngineFacts> facts;
    if (!basePath.isEmpty()) {
        QString problem;
        facts = readEngineFacts(basePath, problem);
        if (!facts) {
            err << problem << '\n';
            return Unreadable;
        }
    }

    ImportResult result = importXdf(xdf.document, image, facts, QFileInfo(imagePath).fileName());
    for (const QString& s : settings) {
        const qsizetype eq = s.indexOf(QLatin1Char('='));
        DefinitionKey* key = eq > 0 ? result.find(s.left(eq).trimmed().toLower()) : nullptr;
        if (key == nullptr) {
            err << QStringLiteral("--set %1: not a key of an engine definition").arg(s) << '\n';
            return BadArguments;
        }
        key->value = s.mid(eq + 1).trimmed();
        key->source = QStringLiteral("given with --set");
        key->certain = true;
    }

    for (const QString& line : result.refused)
        err << "refused: " << line << '\n';
    for (const QString& line : result.partial)
        err << "partly: " << line << '\n';
    for (const DefinitionKey& k : result.keys)
        out << k.key << '=' << k.value << "\t[" << (k.certain ? "certain" : "guess") << "] " << k.source
            << '\n';
    out.flush();

    const QStringList problems = result.problems();
    if (!problems.isEmpty()) {
        err << QStringLiteral("Nothing written: %1 (give values with --set KEY=VALUE)")
                   .arg(problems.join(QStringLiteral("; ")))
            << '\n';
        return Incomplete;
    }
    QString problem;
    const QString origin = QStringLiteral("%1 for the image %2")
                               .arg(QFileInfo(xdfPath).fileName(), QFileInfo(imagePath).fileName());
    if (!saveDefinition(outPath, definitionText(result.keys, origin), problem)) {
        err << QStringLiteral("%1 cannot be written: %2").arg(outPath, problem) << '\n';
        return NotWritten;
    }
    out << "Wrote " << outPath << '\n';
    return Written;
}

} // namespace vantrell::xdf
