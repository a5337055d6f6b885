#include "ConsultLink.h"

#include "boardsim/EcuModel.h"
#include "boardsim/InProcessEcuPort.h"
#include "emulink/FakeClock.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace consult {
namespace {

using namespace std::chrono_literals;

const StreamLayout kLayout({Channel::Rpm, Channel::InjectionTime, Channel::Coolant}, {});

struct Rig
{
    Rig()
    {
        ecu.setRpm(2400);
        ecu.setTp(56);
        QObject::connect(&link, &ConsultLink::frameReceived,
                         [this](const LiveFrame& f) { frames.push_back(f); });
    }
    bool waitFor(emulink::Clock::Duration bound, const std::function<bool()>& done)
    {
        return clock.waitFor(bound, nullptr, done);
    }
    bool said(const std::string& part) const
    {
        return std::any_of(status.lines.begin(), status.lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    int starts() const
    {
        return static_cast<int>(std::count_if(port.writes().begin(), port.writes().end(), [](const Bytes& w) {
            return w == Bytes(std::begin(kInit), std::end(kInit));
        }));
    }

    boardsim::EcuModel ecu;
    emulink::FakeClock clock;
    boardsim::InProcessEcuPort port{ecu, clock};
    common::StatusLines status;
    ConsultLink link{port, clock, &status};
    std::vector<LiveFrame> frames;
};

TEST(ConsultLink, StartsAtNineThousandSixHundredBaudAndStreamsDecodedFrames)
{
    Rig rig;
    ASSERT_TRUE(rig.link.connectPort(QStringLiteral("ecu")));
    EXPECT_EQ(rig.port.baud(), 9600);
    ASSERT_TRUE(rig.link.startStream(kLayout));
    ASSERT_TRUE(rig.waitFor(2s, [&] { return rig.frames.size() >= 10; }));
    EXPECT_EQ(rig.link.state(), ConsultLink::State::Streaming);
    EXPECT_TRUE(rig.said("ECU connected"));
    const LiveFrame& f = rig.frames.back();
    ASSERT_EQ(f.values.size(), 3u);
    EXPECT_DOUBLE_EQ(f.values[0], 2400);
    EXPECT_NEAR(f.values[1], rig.ecu.injectionMs(), 0.005);
    EXPECT_EQ(rig.link.framesLost(), 0u);
    // Frames follow each other as fast as the line carries them: 7 bytes at 9600 baud.
    const auto span = rig.frames.back().timeMs - rig.frames.front().timeMs;
    EXPECT_LE(span, static_cast<std::int64_t>((rig.frames.size() - 1) * 8));

    // A new set while streaming: the old stream stops, the new one follows; every frame matches the
    // set it came with.
    const StreamLayout small({Channel::Rpm}, {});
    ASSERT_TRUE(rig.link.startStream(small));
    const std::size_t switched = rig.frames.size();
    ASSERT_TRUE(rig.waitFor(
        2s, [&] { return rig.frames.size() >= switched + 5 && rig.frames.back().values.size() == 1; }));
    EXPECT_EQ(rig.link.streamingLayout().frameLength(), 2u);
    for (const LiveFrame& frame : rig.frames)
        EXPECT_EQ(frame.values.size(), frame.raw.size() == 2 ? 1u : 3u);

    rig.link.stopStream();
    ASSERT_TRUE(rig.waitFor(1s, [&] { return rig.link.state() == ConsultLink::State::Ready; }));
    EXPECT_FALSE(rig.ecu.streaming());
    const std::size_t count = rig.frames.size();
    rig.clock.advance(1s);
    EXPECT_EQ(rig.frames.size(), count);
}

TEST(ConsultLink, RequestsRunBetweenFramesAndTheStreamResumes)
{
    Rig rig;
    std::vector<FaultCode> codes;
    QString part;
    int cleared = 0;
    QObject::connect(&rig.link, &ConsultLink::faultCodesRead,
                     [&](const std::vector<FaultCode>& c) { codes = c; });
    QObject::connect(&rig.link, &ConsultLink::partNumberRead, [&](const QString& p) { part = p; });
    QObject::connect(&rig.link, &ConsultLink::faultCodesCleared, [&] { ++cleared; });
    ASSERT_TRUE(rig.link.connectPort(QStringLiteral("ecu")));
    rig.link.startStream(kLayout);
    ASSERT_TRUE(rig.waitFor(2s, [&] { return rig.frames.size() >= 3; }));

    EXPECT_TRUE(rig.link.readFaultCodes());
    EXPECT_TRUE(rig.link.readPartNumber());
    EXPECT_TRUE(rig.link.clearFaultCodes());
    EXPECT_TRUE(rig.link.readFaultCodes());
    const std::size_t before = rig.frames.size();
    ASSERT_TRUE(
        rig.waitFor(5s, [&] { return cleared == 1 && codes.empty() && rig.frames.size() > before + 3; }));
    EXPECT_EQ(part, QStringLiteral("TSV-ECU-0001"));
    EXPECT_TRUE(rig.ecu.storedCodes.empty());
    EXPECT_EQ(rig.link.state(), ConsultLink::State::Streaming);
}

TEST(ConsultLink, FaultsOfTheEcuGiveTheirLinesAndTheLinkRecovers)
{
    struct Case
    {
        const char* name;
        boardsim::EcuFault fault;
        int count;
        const char* line;
        bool recovers;
    };
    const Case cases[] = {
        {"silent", boardsim::EcuFault::Silent, 1, "ECU not responding", true},
        {"noise", boardsim::EcuFault::Noise, 3, "frames lost to line noise", true},
        {"cut line", boardsim::EcuFault::CutLine, 1, "ECU line cut", false},
    };
    for (const Case& c : cases) {
        Rig rig;
        ASSERT_TRUE(rig.link.connectPort(QStringLiteral("ecu")));
        rig.link.startStream(kLayout);
        ASSERT_TRUE(rig.waitFor(2s, [&] { return rig.frames.size() >= 3; })) << c.name;
        const auto faultAt = rig.clock.now();
        rig.ecu.injectFault(c.fault, c.count);
        ASSERT_TRUE(rig.waitFor(3s, [&] { return rig.said(c.line); })) << c.name;
        EXPECT_LE(rig.clock.now() - faultAt, 1s) << c.name;
        if (!c.recovers) {
            EXPECT_EQ(rig.link.state(), ConsultLink::State::Disconnected) << c.name;
            continue;
        }
        const std::size_t before = rig.frames.size();
        ASSERT_TRUE(rig.waitFor(6s, [&] { return rig.frames.size() > before + 10; })) << c.name;
        // Frame times keep rising across the restart, as a log needs them.
        EXPECT_GT(rig.frames[before].timeMs, rig.frames[before - 1].timeMs) << c.name;
        if (c.fault == boardsim::EcuFault::Noise) {
            // Each noisy frame costs itself only.
            EXPECT_GE(rig.link.framesLost(), 3u) << c.name;
            EXPECT_LE(rig.link.framesLost(), 6u) << c.name;
        }
    }
}

TEST(ConsultLink, SilentEcuIsStartedAgainEveryTwoSecondsUntilItAnswers)
{
    Rig rig;
    rig.ecu.injectFault(boardsim::EcuFault::Silent, 1000);
    std::vector<ConsultLink::State> states;
    QObject::connect(&rig.link, &ConsultLink::stateChanged,
                     [&](ConsultLink::State s) { states.push_back(s); });
    ASSERT_TRUE(rig.link.connectPort(QStringLiteral("ecu")));
    rig.link.startStream(kLayout);
    ASSERT_TRUE(rig.waitFor(1s, [&] { return rig.said("ECU not responding"); }));
    rig.clock.advance(7s);
    EXPECT_EQ(rig.starts(), 4); // at 0, 2, 4 and 6 seconds
    EXPECT_EQ(
        std::count_if(rig.status.lines.begin(), rig.status.lines.end(),
                      [](const std::string& l) { return l.find("not responding") != std::string::npos; }),
        1);
    rig.ecu.injectFault(boardsim::EcuFault::Silent, 0);
    ASSERT_TRUE(rig.waitFor(3s, [&] { return !rig.frames.empty(); }));
    EXPECT_TRUE(rig.said("ECU answers again"));

    // Disconnecting ends the restarts.
    rig.ecu.injectFault(boardsim::EcuFault::Silent, 1000);
    rig.link.disconnectPort();
    const int starts = rig.starts();
    rig.clock.advance(10s);
    EXPECT_EQ(rig.starts(), starts);
    EXPECT_EQ(rig.link.state(), ConsultLink::State::Disconnected);
}

TEST(ConsultLink, WrongEchoStartsAgainAndTheStreamFollows)
{
    Rig rig;
    ASSERT_TRUE(rig.link.connectPort(QStringLiteral("ecu")));
    ASSERT_TRUE(rig.waitFor(1s, [&] { return rig.link.state() == ConsultLink::State::Ready; }));
    rig.ecu.injectFault(boardsim::EcuFault::WrongEcho, 1);
    rig.link.startStream(kLayout);
    ASSERT_TRUE(rig.waitFor(3s, [&] { return rig.frames.size() >= 3; }));
    EXPECT_TRUE(rig.said("ECU echo wrong"));
    EXPECT_EQ(rig.starts(), 2);
    // The link's own restart says nothing more than the echo line.
    EXPECT_EQ(std::count_if(rig.status.lines.begin(), rig.status.lines.end(),
                            [](const std::string& l) { return l.rfind("ECU connected", 0) == 0; }),
              1);
}

TEST(ConsultLink, RefusesWhatCannotBeSent)
{
    Rig rig;
    EXPECT_FALSE(rig.link.readFaultCodes()); // not connected
    EXPECT_FALSE(rig.link.connectPort(QString()));
    EXPECT_TRUE(rig.said("ECU port"));
    std::vector<MemoryChannel> many(20, MemoryChannel{0x10, "x", ""});
    EXPECT_FALSE(rig.link.startStream(StreamLayout({Channel::Rpm}, many)));
}

} // namespace
} // namespace consult
