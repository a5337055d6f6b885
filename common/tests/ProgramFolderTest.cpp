#include "common/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ProgramFolder, GivenThenBesideTheProgramWithConfigThenPerUserMadeAndFilled)
{
    QTemporaryDir root;
    const QString demo = root.filePath("share/tessavel/demo");
    write(demo + "/config/default", "demo engine");
    write(demo + "/data/demo.bin", "image");
    const QString withConfig = root.filePath("portable");
    write(withConfig + "/config/default", "portable engine");
    const QString bare = root.filePath("usr/bin");
    QDir().mkpath(bare);
    const QString perUser = root.filePath("home/.local/share/tessavel/vantrell");

    struct Case
    {
        const char* what;
        QString given, executable;
        common::ProgramFolder::Source source;
        QString path;
        int filled;
    };
    const Case cases[] = {
        {"given", root.filePath("mine"), withConfig, common::ProgramFolder::Source::Given,
         root.filePath("mine"), 2},
        {"beside", {}, withConfig, common::ProgramFolder::Source::BesideProgram, withConfig, 0},
        {"per user", {}, bare, common::ProgramFolder::Source::PerUser, perUser, 2},
        {"per user again", {}, bare, common::ProgramFolder::Source::PerUser, perUser, 0},
    };
    for (const Case& c : cases) {
        const common::ProgramFolder f = common::chooseProgramFolder(c.given, c.executable, perUser, demo);
        EXPECT_EQ(f.source, c.source) << c.what;
        EXPECT_EQ(f.path, c.path) << c.what;
        EXPECT_EQ(f.filled, c.filled) << c.what;
        EXPECT_TRUE(f.problem.isEmpty()) << c.what << " " << f.problem.toStdString();
    }
    EXPECT_EQ(read(perUser + "/data/demo.bin"), "image");
    EXPECT_EQ(read(withConfig + "/config/default"), "portable engine");

    // Nothing installed to fill a new folder from: said, not hidden.
    const common::ProgramFolder empty = common::chooseProgramFolder({}, bare, root.filePath("other"), {});
    EXPECT_FALSE(empty.problem.isEmpty());
}

TEST(ProgramFolder, FillingNeverOverwritesTheUsersFiles)
{
    QTemporaryDir root;
    write(root.filePath("demo/config/default"), "demo engine");
    write(root.filePath("demo/maps/a.map"), "demo map");
    write(root.filePath("user/config/default"), "my engine");
    EXPECT_EQ(common::fillMissing(root.filePath("demo"), root.filePath("user")), 1);
    EXPECT_EQ(read(root.filePath("user/config/default")), "my engine");
    EXPECT_EQ(read(root.filePath("user/maps/a.map")), "demo map");
}

TEST(ProgramFolder, TheOptionIsReadInBothForms)
{
    EXPECT_EQ(common::givenProgramFolder({"vantrell", "--program-folder", "/x/y"}), "/x/y");
    EXPECT_EQ(common::givenProgramFolder({"vantrell", "--program-folder=/x/z"}), "/x/z");
    EXPECT_EQ(common::givenProgramFolder({"vantrell", "--program-folder"}), "");
    EXPECT_EQ(common::givenProgramFolder({"vantrell", "/x/y"}), "");
}

} // namespace
