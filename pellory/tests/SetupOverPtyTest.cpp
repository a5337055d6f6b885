// The setup tool end to end: its window over QtSerialPort on a pseudo-terminal to the real
// virtual-board program. Numbered port 1 is found through config/ports.ini of a temporary program
// folder, which virtual-board fills in.
#include "EmulatorSetupWindow.h"
#include "ReplyAwaitingClock.h"

#include "emulink/FakeClock.h"
#include "emulink/Frames.h"
#include "emulink/QtSerialPort.h"
#include "emulink/SteadyClock.h"
#include "testsupport/VirtualBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace pellory {
namespace {

using emulink::Bytes;
using testing::RecordingQtPort;
using testing::ReplyAwaitingClock;
using testsupport::VirtualBoard;

class PelloryOverPty : public ::testing::Test
{
  protected:
    // Starts virtual-board with the given boards; it writes its port into the program folder as port 1.
    void startBoards(const QString& ids)
    {
        board = std::make_unique<VirtualBoard>(QStringList{"--boards", ids, "--no-pacing", "--program-folder",
                                                           folder.path(), "--port-number", "1"});
        ASSERT_TRUE(board->start()) << board->errorText().toStdString();
    }

    static void click(EmulatorSetupWindow& window, const char* name)
    {
        QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }

    // Frames the board has taken since the last call. The board reads the line on its own schedule:
    // ask until `count` frames are there (bounded), letting our port hand its bytes over meanwhile.
    std::vector<Bytes> framesReceived(std::size_t count)
    {
        std::vector<Bytes> all;
        QElapsedTimer timer;
        timer.start();
        do {
            QCoreApplication::processEvents();
            const auto frames = board->frames();
            if (!frames)
                break;
            all.insert(all.end(), frames->begin(), frames->end());
        } while (all.size() < count && timer.elapsed() < 5000);
        return all;
    }

    // The pull mode of board `id` once it has become `expected` (bounded); the last value seen otherwise.
    std::optional<int> pullBecomes(int id, int expected)
    {
        std::optional<int> mode;
        QElapsedTimer timer;
        timer.start();
        do {
            QCoreApplication::processEvents();
            mode = board->pull(id);
        } while (mode != expected && timer.elapsed() < 5000);
        return mode;
    }

    QTemporaryDir folder;
    std::unique_ptr<VirtualBoard> board;
};

TEST_F(PelloryOverPty, SearchFindsBoardsOneAndTwoBelowTheEarlierText)
{
    startBoards("1,2");
    RecordingQtPort port;
    ReplyAwaitingClock clock(port, testing::boardsAt({1, 2}));
    EmulatorSetupWindow window(&port, &clock, folder.path());
    ASSERT_TRUE(port.isOpen()) << window.controller().statusText().toStdString();
    EXPECT_EQ(port.name(), board->portPath());
    window.controller().setStatusText("Set emulator ID to  2 reply was 2");

    click(window, "button_get_emulator_id");

    EXPECT_EQ(window.controller().statusText(),
              "Set emulator ID to  2 reply was 2\r\nFound emulator at ID 1\r\nFound emulator at ID 2");
    EXPECT_EQ(clock.missedReplies(), 0);
    // (Which probes the board saw is not asked here: on virtual time a probe that nobody answers can be
    // discarded by the next probe before the board has read it. The in-process tests count them.)

    // A picture of the window after a search, for the eye.
    window.resize(640, 320);
    window.grab().save(QDir::temp().filePath("pellory-search.png"));
}

TEST_F(PelloryOverPty, SetIdHighOnTheRealClockGivesTheBoardIdTwoAndALaterSearchFindsIt)
{
    startBoards("1");
    {
        emulink::QtSerialPort port;
        emulink::SteadyClock clock;
        EmulatorSetupWindow window(&port, &clock, folder.path());
        ASSERT_TRUE(port.isOpen()) << window.controller().statusText().toStdString();

        click(window, "button_set_emulator_id_hi");

        EXPECT_EQ(window.controller().statusText(), "Set emulator ID to  2 reply was 2");
        const std::vector<Bytes> frames = framesReceived(1);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], (Bytes{0x65, 0x01, 0x01, 0xFD, 0x02, 0x66}));
        EXPECT_EQ(board->command("id 0"), "ID 0 2");
        window.close();
        EXPECT_FALSE(port.isOpen());
    }

    RecordingQtPort port;
    ReplyAwaitingClock clock(port, testing::boardsAt({2}));
    EmulatorSetupWindow window(&port, &clock, folder.path());
    click(window, "button_get_emulator_id");
    EXPECT_EQ(window.controller().statusText(), "\r\nFound emulator at ID 2");
    EXPECT_EQ(clock.missedReplies(), 0);
}

TEST_F(PelloryOverPty, PullSoftAndHardReachTheBoard)
{
    startBoards("1");
    emulink::QtSerialPort port;
    emulink::FakeClock clock; // the reply is dropped anyway: only the frame matters here
    EmulatorSetupWindow window(&port, &clock, folder.path());
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(board->pull(1), -1);

    click(window, "button_set_emulator_pullsoft");
    EXPECT_EQ(window.controller().statusText(), "Emulator 'pullsoft' set");
    EXPECT_EQ(pullBecomes(1, 0xFF), 0xFF);

    click(window, "button_set_emulator_pullhard");
    EXPECT_EQ(window.controller().statusText(), "Emulator 'pullhard' set");
    EXPECT_EQ(pullBecomes(1, 0x00), 0x00);

    const std::vector<Bytes> frames = framesReceived(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Bytes{0x65, 0x01, 0x01, 0xFF, 0xFF, 0x65}));
    EXPECT_EQ(frames[1], (Bytes{0x65, 0x01, 0x01, 0xFF, 0x00, 0x66}));
}

TEST_F(PelloryOverPty, PortHeldByAnotherProgramGivesTheErrorAndSendsNothing)
{
    startBoards("1");
    emulink::QtSerialPort holder; // another program has the port
    ASSERT_TRUE(holder.open(board->portPath()));

    emulink::QtSerialPort port;
    emulink::FakeClock clock;
    EmulatorSetupWindow window(&port, &clock, folder.path());
    EXPECT_FALSE(port.isOpen());
    const QString inUse = EmulatorSetupController::kPortError + "\r\nPort " + board->portPath() +
                          " is in use by another program - close it and try again";
    EXPECT_EQ(window.controller().statusText(), inUse);

    for (const char* name :
         {"button_get_emulator_id", "button_set_emulator_id_hi", "button_set_emulator_pullsoft"}) {
        click(window, name);
        EXPECT_EQ(window.controller().statusText(), inUse) << name;
    }
    const auto frames = board->frames();
    ASSERT_TRUE(frames);
    EXPECT_TRUE(frames->empty());
    EXPECT_EQ(board->command("id 0"), "ID 0 1");
}

} // namespace
} // namespace pellory
