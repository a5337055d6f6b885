#include "LiveLog.h"
#include "MapTrace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace consult {
namespace {

const StreamLayout kLayout({Channel::Rpm, Channel::Coolant, Channel::InjectionTime}, {{0x0108, kTpName, ""}});

QByteArray contents(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(LiveLog, WritesHeaderWithUnitsAndRowsThatReadBackTheSame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.csv"));
    LogWriter writer;
    QString error;
    ASSERT_TRUE(writer.open(path, kLayout.columns(), error)) << error.toStdString();
    const std::vector<LogRow> rows = {
        {0, {2400, 88, 3.64, 56}, 5, 4},
        {14, {2412.5, 88, 3.65, 57}, 5, 4},
        {29, {800, -50, 0.5, 18}, -1, -1},
    };
    for (const LogRow& row : rows)
        ASSERT_TRUE(writer.append(row));
    // The header and the first row reach the file at once; later rows within the flush interval.
    const QByteArray early = contents(path);
    EXPECT_TRUE(
        early.startsWith("time (ms),RPM (rpm),Coolant (°C),Injection time (ms),TP,map row,map column\n"));
    EXPECT_TRUE(early.contains("\n0,2400,88,3.64,56,5,4\n"));
    writer.close();
    EXPECT_TRUE(contents(path).endsWith("\n29,800,-50,0.5,18,,\n"));

    LogFile log;
    ASSERT_TRUE(log.read(path, error)) << error.toStdString();
    ASSERT_EQ(log.rows().size(), 3u);
    EXPECT_EQ(log.columns().size(), 4u);
    EXPECT_EQ(log.columns()[1].unit, "°C");
    EXPECT_EQ(log.columnNamed("TP"), 3u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(log.rows()[i].timeMs, rows[i].timeMs);
        EXPECT_EQ(log.rows()[i].values, rows[i].values);
        EXPECT_EQ(log.rows()[i].row, rows[i].row);
        EXPECT_EQ(log.rows()[i].col, rows[i].col);
    }
}

TEST(LiveLog, PlaybackPositionsFindTheRowShownAtATime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.csv"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    // A crash cut the last line short; a line in the middle is garbled.
    f.write("time (ms),RPM (rpm),TP,map row,map column\n10,800,18,0,0\n20,900,20,0,1\nxx,1,2,3,4\n"
            "40,1200,40,2,3\n50,13");
    f.close();
    LogFile log;
    QString error;
    ASSERT_TRUE(log.read(path, error));
    EXPECT_EQ(log.rows().size(), 3u);
    EXPECT_EQ(log.skippedLines(), 2u);
    EXPECT_EQ(log.durationMs(), 40);
    struct Case
    {
        std::int64_t time;
        std::size_t row;
    };
    for (const Case c :
         {Case{0, 0}, Case{10, 0}, Case{19, 0}, Case{20, 1}, Case{39, 1}, Case{40, 2}, Case{1000, 2}})
        EXPECT_EQ(log.rowAt(c.time), c.row) << c.time;

    // The trace of a row played back is the trace of the frame it logged.
    const std::vector<double> rpmAxis{400, 800, 1200}, loadAxis{10, 20, 40};
    const LogRow& r = log.rows()[2];
    const Trace t =
        traceFromValues(r.values, log.columnNamed("RPM"), log.columnNamed("TP"), rpmAxis, loadAxis);
    EXPECT_EQ(t.row, 2);
    EXPECT_EQ(t.col, 2);
}

TEST(LiveLog, RefusesFilesThatAreNoLogs)
{
    QTemporaryDir dir;
    LogFile log;
    QString error;
    EXPECT_FALSE(log.read(dir.filePath(QStringLiteral("missing.csv")), error));
    const QString other = dir.filePath(QStringLiteral("other.csv"));
    QFile f(other);
    f.open(QIODevice::WriteOnly);
    f.write("a,b,c\n1,2,3\n");
    f.close();
    EXPECT_FALSE(log.read(other, error));
    EXPECT_FALSE(error.isEmpty());
    LogWriter writer;
    EXPECT_FALSE(writer.open(dir.filePath(QStringLiteral("no/such/folder/x.csv")), kLayout.columns(), error));
    EXPECT_FALSE(writer.append(LogRow{}));
    EXPECT_EQ(logNumber(3.0, 2), "3");
    EXPECT_EQ(logNumber(-0.0001, 2), "0");
    EXPECT_EQ(logNumber(std::nan(""), 2), "");
}

} // namespace
} // namespace consult
