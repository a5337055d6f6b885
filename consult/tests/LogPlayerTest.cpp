#include "LogPlayer.h"

#include "emulink/FakeClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace consult {
namespace {

using namespace std::chrono_literals;

TEST(LogPlayer, PlaysWithTheClockPausesSeeksAndStopsAtTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.csv"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("time (ms),RPM (rpm),TP,map row,map column\n0,800,18,1,0\n100,900,20,1,1\n250,1200,40,2,3\n"
            "400,1600,44,3,3\n");
    f.close();

    emulink::FakeClock clock;
    LogPlayer player(clock);
    std::vector<int> rows;
    QObject::connect(&player, &LogPlayer::rowChanged, [&](int r) { rows.push_back(r); });
    QString error;
    ASSERT_TRUE(player.open(path, error)) << error.toStdString();
    EXPECT_EQ(player.currentRow(), 0u);

    player.play();
    clock.advance(140ms); // the tick at 132 ms shows the row logged at 100 ms
    EXPECT_EQ(player.currentRow(), 1u);
    player.pause();
    const auto paused = player.position();
    clock.advance(1s);
    EXPECT_EQ(player.position(), paused);

    // Dragging shows the row at that time, playing or not.
    player.seek(260);
    EXPECT_EQ(player.currentRow(), 2u);
    player.seek(-5);
    EXPECT_EQ(player.currentRow(), 0u);
    player.seek(5000);
    EXPECT_EQ(player.position(), 400);

    // Play from the end starts again; the end stops the play.
    player.play();
    clock.advance(1s);
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(player.currentRow(), 3u);
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 0, 3, 0, 1, 2, 3}));

    // A file that is no log leaves the open one.
    EXPECT_FALSE(player.open(dir.filePath(QStringLiteral("none.csv")), error));
    EXPECT_EQ(player.log().rows().size(), 4u);
}

} // namespace
} // namespace consult
