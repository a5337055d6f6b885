#include "PortNames.h"

#include "common/clsIniFile.h"

#include <QDir>
#ifndef Q_OS_WIN
#include <QSerialPortInfo>
#endif
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace emulink {
namespace {

TEST(PortBoxRule, NumbersAndPortNamesStayEverythingElseBecomesOne)
{
    for (const char* kept :
         {"1", "2", " 3 ", "1.6", "COM7", "com12", "/dev/ttyUSB0", "/dev/pts/5", R"(\\.\COM10)"})
        EXPECT_EQ(portBoxTextAfterEdit(QString::fromLatin1(kept)), QString::fromLatin1(kept)) << kept;
    for (const char* replaced : {"", " ", "abc", "COM", "1a", "dev/ttyS0", "COM 7"})
        EXPECT_EQ(portBoxTextAfterEdit(QString::fromLatin1(replaced)), QStringLiteral("1")) << replaced;
}

TEST(PortNames, ANumberIsLookedUpInThePortsFileFirst)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    common::clsIniFile ini;
    ini.File = folder.filePath(QStringLiteral("config/ports.ini")).toStdString();
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("config")));
    ASSERT_NE(ini.SaveSetting("ports", "1", "/dev/pts/42"), 0);
    ASSERT_NE(ini.SaveSetting("ports", "2", "COM9"), 0);

    EXPECT_EQ(resolvePortName(QStringLiteral("1"), folder.path()), QStringLiteral("/dev/pts/42"));
    EXPECT_EQ(resolvePortName(QStringLiteral(" 2 "), folder.path()), QStringLiteral("COM9"));
    EXPECT_EQ(resolvePortName(QStringLiteral("1.4"), folder.path()), QStringLiteral("/dev/pts/42"));
    EXPECT_EQ(resolvePortName(QStringLiteral("/dev/ttyUSB3"), folder.path()), QStringLiteral("/dev/ttyUSB3"));
    EXPECT_EQ(resolvePortName(QStringLiteral(" COM3 "), folder.path()), QStringLiteral("COM3"));
}

TEST(PortNames, ANumberWithoutAnEntryIsTheSystemsNthPortOrNothing)
{
    QTemporaryDir folder;
#ifdef Q_OS_WIN
    EXPECT_EQ(resolvePortName(QStringLiteral("4"), folder.path()), QStringLiteral("COM4"));
#else
    const auto listed = QSerialPortInfo::availablePorts();
    const QString first = resolvePortName(QStringLiteral("1"), folder.path());
    if (listed.isEmpty())
        EXPECT_TRUE(first.isEmpty());
    else
        EXPECT_TRUE(first.startsWith(QStringLiteral("/dev/")));
    EXPECT_TRUE(resolvePortName(QString::number(listed.size() + 1), folder.path()).isEmpty());
#endif
    EXPECT_TRUE(resolvePortName(QStringLiteral("0"), folder.path()).isEmpty());
    EXPECT_TRUE(resolvePortName(QStringLiteral("-2"), folder.path()).isEmpty());
}

} // namespace
} // namespace emulink
