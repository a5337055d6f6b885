// The setup tool's window over simulated boards in the test process, on a fake clock: every wait is
// virtual, so a full search runs in milliseconds.
#include "EmulatorSetupWindow.h"

#include "emulink/FakeClock.h"
#include "emulink/Frames.h"
#include "emulink/PortListBox.h"
#include "boardsim/InProcessPort.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace pellory {
namespace {

using emulink::Bytes;

const char* const kButtons[] = {"button_get_emulator_id", "button_set_emulator_id_low",
                                "button_set_emulator_id_hi", "button_set_emulator_pullhard",
                                "button_set_emulator_pullsoft"};
const QString kPortError = EmulatorSetupController::kPortError;

// The port error with the reason line that a missing port gives.
QString noSuchPort(const char* name)
{
    return kPortError + QStringLiteral("\r\nNo such port ") + QString::fromLatin1(name) +
           QStringLiteral(" - check the cable and the port number");
}

// Boards, fake clock, in-process port and the window, with a program folder whose config/ports.ini
// names the ports 1 to 3 "sim1" to "sim3".
class SetupWindowRig
{
  public:
    explicit SetupWindowRig(std::vector<boardsim::BoardConfig> boards = {{1, 1, 0, 0x8000},
                                                                         {2, 1, 0, 0x8000}},
                            QStringList refused = {}, std::vector<emulink::PortDescription> ports = {})
        : bus(std::move(boards)), port(bus, clock), systemPorts(std::move(ports))
    {
        QDir(folder.path()).mkpath(QStringLiteral("config"));
        QFile ini(folder.filePath(QStringLiteral("config/ports.ini")));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[ports]\r\n1=sim1\r\n2=sim2\r\n3=sim3\r\n");
        ini.close();
        for (const QString& name : refused)
            port.refuseName(name);
        // The ports of this computer stay out of the test: the list shows systemPorts.
        window = std::make_unique<EmulatorSetupWindow>(&port, &clock, folder.path(),
                                                       [this] { return systemPorts; });
    }

    QPushButton* button(const char* name)
    {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QLineEdit* portBox() { return window->findChild<QLineEdit*>(QStringLiteral("comport_number")); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QString status() { return window->controller().statusText(); }
    // Runs `check` while the next action waits, `after` of virtual time into it.
    void during(std::chrono::milliseconds after, std::function<void()> check)
    {
        clock.callAt(clock.now() + after, window.get(), std::move(check));
    }
    // The user leaves the port box after typing `text`.
    void typePort(const QString& text)
    {
        portBox()->setText(text);
        emit portBox()->editingFinished();
    }

    QTemporaryDir folder;
    boardsim::BoardBus bus;
    emulink::FakeClock clock;
    boardsim::InProcessPort port;
    std::vector<emulink::PortDescription> systemPorts;
    std::unique_ptr<EmulatorSetupWindow> window;
};

TEST(PelloryWindow, CarriesItsNamesCaptionsAndTitle)
{
    SetupWindowRig rig;
    EXPECT_EQ(rig.window->objectName(), "form_emulator_setup");
    EXPECT_TRUE(rig.window->windowTitle().contains("Pellory"));
    const std::pair<const char*, const char*> captions[] = {
        {"button_get_emulator_id", "ID all connected emulators"},
        {"button_set_emulator_id_low", "Set singe connected Emulator id to LOW"},
        {"button_set_emulator_id_hi", "Set single connected Emulator id to HIGH"},
        {"button_set_emulator_pullhard", "Set Emulator Pull Hard"},
        {"button_set_emulator_pullsoft", "Set Emulator Pull Soft"}};
    for (const auto& [name, caption] : captions) {
        ASSERT_NE(rig.button(name), nullptr) << name;
        EXPECT_EQ(rig.button(name)->text(), caption);
    }
    auto* text = rig.window->findChild<QPlainTextEdit*>("text_status_window");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    ASSERT_NE(rig.portBox(), nullptr);
    EXPECT_EQ(rig.portBox()->text(), "1");
    bool captioned = false;
    for (QLabel* label : rig.window->findChildren<QLabel*>())
        captioned = captioned || (label->text() == "comport to use" && label->buddy() == rig.portBox());
    EXPECT_TRUE(captioned);
}

TEST(PelloryWindow, StartOpensPortOnePoweredAndClosingDropsTheLinesAndClosesIt)
{
    SetupWindowRig rig;
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.name(), "sim1");
    EXPECT_TRUE(rig.port.dtr());
    EXPECT_TRUE(rig.port.rts());
    EXPECT_TRUE(rig.status().isEmpty());

    rig.window->show();
    EXPECT_TRUE(rig.window->close());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.port.dtr());
    EXPECT_FALSE(rig.port.rts());
}

TEST(PelloryWindow, SearchPausesASecondThenAddsALinePerBoardBelowTheEarlierText)
{
    SetupWindowRig rig;
    rig.window->controller().setStatusText("Earlier text");
    std::size_t framesDuringPause = 99;
    rig.during(999ms, [&] { framesDuringPause = rig.bus.frameLog().size(); });
    const auto start = rig.clock.now();

    rig.click("button_get_emulator_id");

    EXPECT_EQ(framesDuringPause, 0u);
    EXPECT_EQ(rig.status(), "Earlier text\r\nFound emulator at ID 1\r\nFound emulator at ID 2");
    EXPECT_EQ(rig.window->findChild<QPlainTextEdit*>("text_status_window")->toPlainText(),
              "Earlier text\nFound emulator at ID 1\nFound emulator at ID 2");
    // One second, then 256 probes of a fixed 50 ms each.
    EXPECT_EQ(rig.clock.now() - start, 13800ms);
    ASSERT_EQ(rig.bus.frameLog().size(), 256u);
    for (int id = 0; id <= 255; ++id)
        EXPECT_EQ(rig.bus.frameLog()[static_cast<std::size_t>(id)],
                  emulink::versionRequest(static_cast<std::uint8_t>(id)));

    // A second search adds to the text again.
    rig.click("button_get_emulator_id");
    EXPECT_EQ(rig.status(), "Earlier text\r\nFound emulator at ID 1\r\nFound emulator at ID 2"
                            "\r\nFound emulator at ID 1\r\nFound emulator at ID 2");
}

TEST(PelloryWindow, SearchReachesTheFirstAndLastId)
{
    SetupWindowRig rig({{255, 1, 0, 0x8000}, {0, 1, 0, 0x8000}});
    rig.click("button_get_emulator_id");
    EXPECT_EQ(rig.status(), "\r\nFound emulator at ID 0\r\nFound emulator at ID 255");
}

TEST(PelloryWindow, SetIdSendsTheFrameAndShowsTheReplyAsCharacters)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}});
    QString whileWaiting;
    rig.during(500ms, [&] { whileWaiting = rig.status(); });
    const auto start = rig.clock.now();

    rig.click("button_set_emulator_id_hi");

    EXPECT_EQ(whileWaiting, "Setting Emulator ID to  2");
    EXPECT_EQ(rig.clock.now() - start, 1s);
    ASSERT_EQ(rig.bus.frameLog().size(), 1u);
    EXPECT_EQ(rig.bus.frameLog()[0], (Bytes{0x65, 0x01, 0x01, 0xFD, 0x02, 0x66}));
    EXPECT_EQ(rig.bus.boards()[0].config.id, 2);
    EXPECT_EQ(rig.status(), "Set emulator ID to  2 reply was 2");

    rig.click("button_set_emulator_id_low");
    EXPECT_EQ(rig.bus.frameLog().back(), (Bytes{0x65, 0x01, 0x01, 0xFD, 0x01, 0x65}));
    EXPECT_EQ(rig.bus.boards()[0].config.id, 1);
    EXPECT_EQ(rig.status(), "Set emulator ID to  1 reply was 1");
}

TEST(PelloryWindow, PullMessageIsShownBeforeTheFrameIsSentAndTheBoardTakesTheMode)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}});
    auto* text = rig.window->findChild<QPlainTextEdit*>("text_status_window");
    std::vector<std::pair<QString, std::size_t>> shown; // text and frames written by then
    QObject::connect(text, &QPlainTextEdit::textChanged,
                     [&] { shown.emplace_back(text->toPlainText(), rig.port.writes().size()); });

    rig.click("button_set_emulator_pullhard");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::make_pair(QString("Emulator 'pullhard' set"), std::size_t{0}));
    EXPECT_EQ(rig.bus.frameLog().back(), (Bytes{0x65, 0x01, 0x01, 0xFF, 0x00, 0x66}));
    EXPECT_EQ(rig.bus.boards()[0].pullMode, 0x00);

    rig.click("button_set_emulator_pullsoft");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], std::make_pair(QString("Emulator 'pullsoft' set"), std::size_t{1}));
    EXPECT_EQ(rig.bus.frameLog().back(), (Bytes{0x65, 0x01, 0x01, 0xFF, 0xFF, 0x65}));
    EXPECT_EQ(rig.bus.boards()[0].pullMode, 0xFF);
    EXPECT_EQ(rig.status(), "Emulator 'pullsoft' set");
}

TEST(PelloryWindow, PullSoftAndSetIdReportWhenNothingAnswers)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}});
    rig.bus.injectFault(boardsim::Fault::NoReply, 2);

    rig.click("button_set_emulator_pullsoft");
    EXPECT_EQ(rig.status(), "Emulator 'pullsoft' set");
    rig.click("button_set_emulator_id_hi");
    EXPECT_EQ(rig.status(), "Set emulator ID to  2 reply was ");
}

TEST(PelloryWindow, PortThatCannotBeOpenedIsReportedByStartAndByEveryButtonWithoutSending)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}}, {"sim1"});
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.status(), noSuchPort("sim1"));

    for (const char* name : kButtons) {
        rig.window->controller().setStatusText("something else");
        rig.click(name);
        EXPECT_EQ(rig.status(), noSuchPort("sim1")) << name;
    }
    EXPECT_TRUE(rig.port.writes().empty());
    EXPECT_TRUE(rig.bus.frameLog().empty());
    EXPECT_EQ(rig.clock.waitCount(), 0);
}

TEST(PelloryWindow, EveryControlIsDisabledWhileAnActionWaitsAndASecondActionIsRefused)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}});
    for (const char* pressed : kButtons) {
        std::vector<bool> enabledDuring;
        bool secondStarted = true;
        std::size_t framesBefore = 0;
        rig.during(500ms, [&] {
            for (const char* name : kButtons)
                enabledDuring.push_back(rig.button(name)->isEnabled());
            enabledDuring.push_back(rig.portBox()->isEnabled());
            framesBefore = rig.bus.frameLog().size();
            secondStarted = rig.window->controller().setPull(emulink::kPullSoft);
        });
        const std::size_t framesAtStart = rig.bus.frameLog().size();

        rig.click(pressed);

        EXPECT_EQ(enabledDuring, std::vector<bool>(6, false)) << pressed;
        EXPECT_FALSE(secondStarted) << pressed;
        EXPECT_LE(framesBefore - framesAtStart, 1u) << pressed; // at most the action's own frame
        for (const char* name : kButtons)
            EXPECT_TRUE(rig.button(name)->isEnabled()) << name;
        EXPECT_TRUE(rig.portBox()->isEnabled());
    }
}

TEST(PelloryWindow, PortBoxFallsBackToOneAndAChangedPortIsReopened)
{
    SetupWindowRig rig({{1, 1, 0, 0x8000}}, {"sim3"});
    const int opens = rig.port.openCount();

    rig.typePort("abc");
    EXPECT_EQ(rig.portBox()->text(), "1");
    EXPECT_EQ(rig.port.openCount(), opens); // still port 1: not reopened

    rig.typePort("2");
    EXPECT_EQ(rig.port.name(), "sim2");
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_TRUE(rig.port.dtr());

    rig.typePort("3");
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.status(), noSuchPort("sim3"));
    rig.click("button_set_emulator_pullhard");
    EXPECT_EQ(rig.status(), noSuchPort("sim3"));
    rig.typePort("10000"); // a number with no port behind it
    EXPECT_EQ(rig.status(), kPortError + "\r\nNo such port - check the cable and the port number");

    rig.typePort("1.4"); // rounds to port 1
    EXPECT_EQ(rig.port.name(), "sim1");
    EXPECT_TRUE(rig.status().isEmpty());
    rig.click("button_set_emulator_pullhard");
    EXPECT_EQ(rig.bus.boards()[0].pullMode, 0x00);
}

TEST(PelloryWindow, ClosingTheWindowDuringASearchStopsTheSearchAndClosesThePort)
{
    SetupWindowRig rig;
    rig.window->show();
    rig.during(2s, [&] { rig.window->close(); });

    rig.click("button_get_emulator_id");

    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_FALSE(rig.port.dtr());
    EXPECT_LT(rig.bus.frameLog().size(), 256u);
}

TEST(PelloryWindow, LineLostDuringASearchEndsItWithThePortError)
{
    SetupWindowRig rig;
    rig.during(1500ms, [&] { rig.port.injectCommsEvent(emulink::CommsEvent::HangUp); });

    rig.click("button_get_emulator_id");

    EXPECT_EQ(rig.status(), "\r\nFound emulator at ID 1\r\nFound emulator at ID 2\r\n" + kPortError);
    EXPECT_LT(rig.bus.frameLog().size(), 256u);
    const std::size_t frames = rig.bus.frameLog().size();
    rig.click("button_set_emulator_pullsoft");
    EXPECT_EQ(rig.status(), kPortError);
    EXPECT_EQ(rig.bus.frameLog().size(), frames);
}

TEST(PelloryWindow, ChoosingFromThePortListFillsTheBoxAndOpensThatPort)
{
    // The in-process port opens any name that it is not told to refuse.
    SetupWindowRig rig({{1, 1, 0, 0x8000}}, {}, {{"/dev/ttyS7", "Simulated", {}, {}, false}});
    auto* list = rig.window->findChild<emulink::PortListBox*>("port_list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->itemText(0), emulink::PortListBox::kCaption);
    EXPECT_EQ(list->itemText(1), "/dev/ttyS7 - Simulated");

    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(rig.portBox()->text(), "/dev/ttyS7");
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.name(), "/dev/ttyS7");
}

TEST(PelloryWindow, APortThatDoesNotExistBringsTheSuggestionOfTheOneAdapter)
{
    const emulink::PortDescription adapter{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", {}, true};
    SetupWindowRig rig({{1, 1, 0, 0x8000}}, {"/dev/tessavel-gone"},
                       {{"/dev/ttyS0", {}, {}, {}, false}, adapter});
    EXPECT_TRUE(rig.status().isEmpty()); // port 1 (sim1) opened

    rig.typePort("/dev/tessavel-gone");
    EXPECT_EQ(rig.status(),
              noSuchPort("/dev/tessavel-gone") + "\r\n" + emulink::adapterSuggestionLine(adapter));
}

TEST(PelloryWindow, ThePortsAdviceIsAddedToTheStatusText)
{
    SetupWindowRig rig;
    rig.window->controller().setStatusText("Earlier text");
    emit rig.port.portAdvice("Could not set low latency on sim1");
    EXPECT_EQ(rig.status(), "Earlier text\r\nCould not set low latency on sim1");
}

} // namespace
} // namespace pellory
