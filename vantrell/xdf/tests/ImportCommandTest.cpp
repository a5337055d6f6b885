#include "XdfTestFiles.h"

#include "vantrell/xdf/ImportXdfCommand.h"

#include <QDir>
#include <QTemporaryDir>

namespace vantrell::xdf {
namespace {

using namespace testing;

struct CommandRun
{
    int code = -1;
    QString out, err;
};

CommandRun run(const QStringList& args)
{
    CommandRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = runImportXdf(args, out, err);
    out.flush();
    err.flush();
    return r;
}

class ImportCommand : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
    QString outPath() const { return folder_.filePath(QStringLiteral("out.ini")); }
    QStringList args(const char* xdf, const char* image = "data/demo.bin") const
    {
        return {QStringLiteral("--import-xdf"), xdfPath(xdf), QStringLiteral("--image"), demoPath(image),
                QStringLiteral("--out"),        outPath()};
    }
    QTemporaryDir folder_;
};

TEST_F(ImportCommand, WritesTheDefinitionAndListsEveryKeyWithItsSource)
{
    const CommandRun r = run(args("demo.xdf") << QStringLiteral("--base") << demoPath("config/demo32k.ini"));
    EXPECT_EQ(r.code, Written) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("fuelhighmap=&h7000\t[certain] Tables \"Fuel map high octane\"")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("cyl=6\t[certain] definition demo32k.ini")));
    const QByteArray written = fileBytes(outPath());
    EXPECT_TRUE(written.contains("fuelhighmap=&h7000\r\n"));
    EXPECT_TRUE(written.contains("romsize=32768\r\n"));
}

TEST_F(ImportCommand, NothingIsWrittenWhileTheEditorWouldLackKeysUntilTheyAreGiven)
{
    const CommandRun refused = run(args("small_maps.xdf"));
    EXPECT_EQ(refused.code, Incomplete);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("refused: Tables \"Fuel map high octane\"")) ||
                refused.err.contains(QStringLiteral("refused: Table \"Fuel map high octane\"")))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Nothing written: fuelhighmap has no value")));
    EXPECT_FALSE(QFile::exists(outPath()));

    QStringList given = args("small_maps.xdf");
    for (const char* kv : {"fuelhighmap=&h7000", "fuellowmap=&h7100", "fuelrev=&h7400", "fuelflow=&h7410",
                           "ignlowmap=&h7300", "IGNREV=&h7420", "ignflow=&h7430", "ignhighmap=&h7200"})
        given << QStringLiteral("--set") << QLatin1String(kv);
    // A typed address is held to the same rules as the editor's loader.
    const CommandRun pastTheEnd =
        run(QStringList(given) << QStringLiteral("--set") << QStringLiteral("ignflow=&h7ff8"));
    EXPECT_EQ(pastTheEnd.code, Incomplete);
    EXPECT_TRUE(
        pastTheEnd.err.contains(QStringLiteral("ignflow &h7ff8 reaches past the end of the 32768-byte ROM")))
        << pastTheEnd.err.toStdString();
    EXPECT_FALSE(QFile::exists(outPath()));
    const CommandRun filled = run(given);
    EXPECT_EQ(filled.code, Written) << filled.err.toStdString();
    EXPECT_TRUE(fileBytes(outPath()).contains("ignrev=&h7420\r\n"));
}

TEST_F(ImportCommand, BadArgumentsAndUnreadableFilesGiveTheirOwnExitCodes)
{
    EXPECT_EQ(run({QStringLiteral("--import-xdf")}).code, BadArguments);
    EXPECT_EQ(run(args("demo.xdf") << QStringLiteral("--colour")).code, BadArguments);
    EXPECT_EQ(run(args("demo.xdf") << QStringLiteral("--set") << QStringLiteral("nokey=1")).code,
              BadArguments);
    EXPECT_EQ(run(args("missing.xdf")).code, Unreadable);
    EXPECT_EQ(run(args("demo.xdf", "data/missing.bin")).code, Unreadable);
    EXPECT_EQ(run(args("demo.xdf") << QStringLiteral("--base") << QStringLiteral("/nonexistent.ini")).code,
              Unreadable);
    QStringList intoNowhere = args("demo.xdf");
    intoNowhere.last() = folder_.filePath(QStringLiteral("no/such/folder/out.ini"));
    EXPECT_EQ(run(intoNowhere).code, NotWritten);
}

} // namespace
} // namespace vantrell::xdf
