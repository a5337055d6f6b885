#include "BoardConsole.h"
#include "EcuModel.h"

#include "consult/Channels.h"
#include "consult/FrameReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace boardsim {
namespace {

using consult::Bytes;

// A ROM of 0x800 bytes: fuel map at 0x000, ignition map at 0x100, their shared axes at 0x200/0x210.
struct Rom
{
    Rom()
    {
        for (int i = 0; i < 16; ++i) {
            bytes[0x200 + i] = static_cast<std::uint8_t>(8 * (i + 1));  // 400 .. 6400 rpm
            bytes[0x210 + i] = static_cast<std::uint8_t>(10 * (i + 1)); // TP 10 .. 160
        }
        for (int i = 0; i < 256; ++i) {
            bytes[static_cast<std::size_t>(i)] = 40;
            bytes[static_cast<std::size_t>(0x100 + i)] = 20;
        }
        definition.romSize = 0x800;
        definition.fuel = {0x000, 0x200, 0x210};
        definition.ignition = {0x100, 0x200, 0x210};
        definition.tpAddress = 0x0108;
    }
    Bytes bytes = Bytes(0x800, 0);
    EcuDefinition definition;
};

Bytes started(EcuModel& ecu)
{
    return ecu.receive(Bytes{0xFF, 0xFF, 0xEF});
}

TEST(EcuModel, AnswersTheProtocolAndStreamsUntilStopped)
{
    Rom rom;
    EcuModel ecu([&](std::uint32_t a) { return rom.bytes[a]; });
    ecu.setDefinition(rom.definition);
    ecu.setRpm(800);                                     // row 1
    ecu.setTp(30);                                       // column 2
    EXPECT_TRUE(ecu.receive(Bytes{0x5A, 0x00}).empty()); // not started: deaf
    EXPECT_EQ(started(ecu), Bytes{0x10});

    struct Case
    {
        Bytes sent;
        Bytes answer;
    };
    const Case cases[] = {
        {{0xD1, 0xF0}, {0x2E, 0xFF, 4, 0x21, 5, 0x34, 12}},
        {{0xD0, 0xF0},
         [] {
             Bytes b{0x2F, 0xFF, 12};
             const std::string part = "TSV-ECU-0001";
             b.insert(b.end(), part.begin(), part.end());
             return b;
         }()},
        {{0xC1, 0xF0}, {0x3E, 0xFF, 0}},
        {{0xD1, 0xF0}, {0x2E, 0xFF, 0}}, // cleared
        {{0x30}, {0xCF}},                // stop while idle
        {{0x5A, 0x00, 0x5A, 0x01, 0xC9, 0x01, 0x08}, {0xA5, 0x00, 0xA5, 0x01, 0x36, 0x01, 0x08}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ecu.receive(c.sent), c.answer);
    EXPECT_TRUE(ecu.receive(Bytes{0xF0}).empty());
    ASSERT_TRUE(ecu.streaming());

    // The stream in chunks, read as a host would: RPM 800 = 64 x 12.5, TP 30 in memory.
    consult::FrameReader reader(3);
    std::vector<Bytes> frames;
    for (int i = 0; i < 3; ++i)
        reader.feed(ecu.nextStreamChunk(), frames);
    // Each chunk ends with the next frame's start, which confirms the frame before it.
    EXPECT_EQ(frames, (std::vector<Bytes>(3, Bytes{0x00, 64, 30})));
    // Stop: the frame under way ends, then the stop answer; nothing after it.
    EXPECT_TRUE(ecu.receive(Bytes{0x30}).empty());
    reader.expectStop();
    reader.feed(ecu.nextStreamChunk(), frames);
    EXPECT_EQ(frames.size(), 4u);
    EXPECT_TRUE(reader.stopped());
    EXPECT_FALSE(ecu.streaming());
    EXPECT_TRUE(ecu.nextStreamChunk().empty());
}

TEST(EcuModel, InjectionAndIgnitionFollowTheCellsAroundTheRunningPoint)
{
    Rom rom;
    EcuModel ecu([&](std::uint32_t a) { return rom.bytes[a]; });
    ecu.setDefinition(rom.definition);
    ecu.setRpm(900); // between rows 1 and 2, a quarter of the way
    ecu.setTp(20);   // on column 1
    EXPECT_DOUBLE_EQ(ecu.injectionMs(), 0.5 + 0.2 * 40 / 10.0);
    rom.bytes[16 * 1 + 1] = 80; // the running cell, weight 3/4
    EXPECT_DOUBLE_EQ(ecu.injectionMs(), 0.5 + 0.2 * (0.75 * 80 + 0.25 * 40) / 10.0);
    rom.bytes[0x100 + 16 * 2 + 1] = 0x80 | 28; // knock control on; the advance is the low bits
    EXPECT_DOUBLE_EQ(ecu.ignitionDegrees(), 0.75 * 20 + 0.25 * 28);
    EXPECT_EQ(ecu.fuelTrace().row, 1);
    EXPECT_EQ(ecu.fuelTrace().col, 1);
}

TEST(EcuModel, FaultsSpoilWhatTheyNameOnly)
{
    Rom rom;
    EcuModel ecu([&](std::uint32_t a) { return rom.bytes[a]; });
    ecu.setDefinition(rom.definition);
    started(ecu);
    ecu.injectFault(EcuFault::WrongEcho);
    EXPECT_EQ(ecu.receive(Bytes{0x5A, 0x0C}), (Bytes{0x5A, 0x0C})); // echoed uninverted
    EXPECT_EQ(ecu.receive(Bytes{0x5A, 0x0C}), (Bytes{0xA5, 0x0C}));
    ecu.receive(Bytes{0xF0});
    ecu.injectFault(EcuFault::Noise);
    EXPECT_EQ(ecu.nextStreamChunk().size(), 2u + 2 + 3 + 1); // FF, length, 2 data, 3 stray, next FF
    EXPECT_EQ(ecu.nextStreamChunk().size(), 1u + 2 + 1);

    ecu.injectFault(EcuFault::Silent, 2);
    EXPECT_FALSE(ecu.streaming());
    EXPECT_TRUE(started(ecu).empty());
    EXPECT_TRUE(started(ecu).empty());
    EXPECT_EQ(started(ecu), Bytes{0x10});

    EXPECT_FALSE(ecu.takeCutLine());
    ecu.injectFault(EcuFault::CutLine);
    EXPECT_TRUE(ecu.takeCutLine());
    EXPECT_FALSE(ecu.takeCutLine());
}

TEST(EcuModel, DefinitionsAreReadWithTheEditorsKeysAndRefusedWhenAMapIsMissing)
{
    const auto dir = std::filesystem::temp_directory_path() / ("ecu-def-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "default").string();
    const std::string keys =
        "[initialisation]\nromsize=32768\n[address locations]\nfuelhighmap=&h7000\n"
        "fuelrev=&h7400\nfuelflow=&h7410\nignhighmap=&h7200\nignrev=&h7420\nignflow=&h7430\n";
    std::ofstream(path) << keys << "[consult]\ntpram=&h0108\n";
    EcuDefinition d;
    std::string error;
    ASSERT_TRUE(loadEcuDefinition(path, d, error)) << error;
    EXPECT_EQ(d.fuel.map, 0x7000u);
    EXPECT_EQ(d.ignition.loadAxis, 0x7430u);
    EXPECT_EQ(d.tpAddress, 0x0108);

    std::ofstream(path) << "[initialisation]\nromsize=32768\n[address locations]\nfuelhighmap=&h7f80\n";
    EXPECT_FALSE(loadEcuDefinition(path, d, error));
    EXPECT_NE(error.find("fuelhighmap"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(EcuModel, ConsoleSetsTheEngineAndFaults)
{
    BoardBus bus({BoardConfig{}});
    BoardConsole console(bus);
    EXPECT_EQ(console.execute("ecu").lines.at(0).rfind("ERR", 0), 0u);
    EcuModel ecu;
    console.setEcu(&ecu);
    struct Case
    {
        const char* line;
        const char* answer;
    };
    const Case cases[] = {
        {"ecu rpm 3000", "OK ecu rpm 3000"},
        {"ecu tp 77", "OK ecu tp 77"},
        {"ecu", "ECU rpm 3000.0 tp 77.0 inj 3.58 ign 15.0 row -1 col -1 streaming 0"},
        {"ecu fault noise 2", "OK ecu fault noise 2"},
        {"ecu fault loud", "ERR usage: ecu fault silent|noise|wrongecho|cutline [count]"},
        {"ecu tp 300", "ERR usage: ecu tp <number>|cycle"},
        {"ecu cycle", "OK ecu cycle"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(console.execute(c.line).lines.at(0), c.answer) << c.line;
    EXPECT_EQ(ecu.pendingFaults(EcuFault::Noise), 2);
}

} // namespace
} // namespace boardsim
