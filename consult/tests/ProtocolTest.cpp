#include "Channels.h"
#include "ConsultProtocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace consult {
namespace {

TEST(ConsultProtocol, CommandsCarryTheirBytesAndTheEchoTheEcuSends)
{
    struct Case
    {
        const char* name;
        std::optional<Command> command;
        Bytes bytes;
        Bytes echo;
    };
    const std::uint8_t regs[] = {0x00, 0x01, 0x16};
    const MemoryAddress memory[] = {0x0108};
    const Case cases[] = {
        {"registers and memory",
         streamCommand(regs, memory),
         {0x5A, 0x00, 0x5A, 0x01, 0x5A, 0x16, 0xC9, 0x01, 0x08, 0xF0},
         {0xA5, 0x00, 0xA5, 0x01, 0xA5, 0x16, 0x36, 0x01, 0x08}},
        {"fault codes", faultReadCommand(), {0xD1, 0xF0}, {0x2E}},
        {"fault clear", faultClearCommand(), {0xC1, 0xF0}, {0x3E}},
        {"part number", partNumberCommand(), {0xD0, 0xF0}, {0x2F}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.command) << c.name;
        EXPECT_EQ(c.command->bytes, c.bytes) << c.name;
        EXPECT_EQ(c.command->echo, c.echo) << c.name;
    }
}

TEST(ConsultProtocol, StreamRequestsHoldOneToTwentyDataBytes)
{
    const std::vector<std::uint8_t> twenty(20, 0x08), none;
    const std::vector<MemoryAddress> one{0x10}, noMemory;
    EXPECT_TRUE(streamCommand(twenty, noMemory));
    EXPECT_FALSE(streamCommand(twenty, one)); // 21 bytes
    EXPECT_FALSE(streamCommand(none, noMemory));
    EXPECT_TRUE(streamCommand(none, one));
}

TEST(ConsultProtocol, EchoCheckJudgesEveryByteAsItArrives)
{
    const Bytes expected{0xA5, 0x00, 0x36, 0x01, 0x08};
    struct Case
    {
        Bytes received;
        EchoCheck check;
    };
    const Case cases[] = {
        {{}, EchoCheck::Incomplete},
        {{0xA5, 0x00}, EchoCheck::Incomplete},
        {{0xA5, 0x00, 0x36, 0x01, 0x08}, EchoCheck::Complete},
        {{0xA5, 0x00, 0x36, 0x01, 0x08, 0xFF, 0x03}, EchoCheck::Complete}, // the stream follows at once
        {{0x5A}, EchoCheck::Wrong},                                        // not inverted
        {{0xA5, 0x00, 0xC9}, EchoCheck::Wrong},
        {{0xA5, 0x00, 0x36, 0x01, 0x09}, EchoCheck::Wrong}, // a parameter changed
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkEcho(expected, c.received), c.check) << c.received.size();
}

TEST(ConsultProtocol, FaultCodesAndPartNumbersDecode)
{
    EXPECT_EQ(decodeFaultCodes(Bytes{0x14, 3, 0x21, 0}), (std::vector<FaultCode>{{0x14, 3}, {0x21, 0}}));
    EXPECT_EQ(decodeFaultCodes(Bytes{}), std::vector<FaultCode>{});
    EXPECT_FALSE(decodeFaultCodes(Bytes{0x14, 3, 0x21}));
    EXPECT_EQ(decodePartNumber(Bytes{'T', 'S', '-', '1'}), "TS-1");
    EXPECT_EQ(decodePartNumber(Bytes{0x23, 0x00, 0xAB}), "23 00 AB");
}

TEST(ConsultChannels, RegistersDecodeWithTheirScales)
{
    struct Case
    {
        Channel channel;
        Bytes raw;
        double value;
    };
    const Case cases[] = {
        {Channel::Rpm, {0x00, 0x50}, 1000},            // 80 x 12.5
        {Channel::Rpm, {0x02, 0x30}, 7000},            // high byte first
        {Channel::AirflowVoltage, {0x01, 0x00}, 1280}, // x 5 mV
        {Channel::Coolant, {0x00}, -50},
        {Channel::Coolant, {140}, 90},
        {Channel::O2, {45}, 450},
        {Channel::Speed, {60}, 120},
        {Channel::Battery, {175}, 14000},
        {Channel::Throttle, {25}, 500},
        {Channel::InjectionTime, {0x01, 0xF4}, 5.0}, // 500 / 100 ms
        {Channel::IgnitionTiming, {95}, 15},         // 110 - 95
        {Channel::IgnitionTiming, {120}, -10},       // after top dead centre
    };
    for (const Case& c : cases) {
        const ChannelInfo& info = channelInfo(c.channel);
        EXPECT_DOUBLE_EQ(decodeChannel(c.channel, c.raw), c.value) << info.name;
        EXPECT_EQ(encodeChannel(c.channel, c.value), c.raw) << info.name;
        EXPECT_EQ(info.registerCount, c.raw.size()) << info.name;
    }
    // Values beyond what the bytes hold are clamped, not wrapped.
    EXPECT_EQ(encodeChannel(Channel::Coolant, -80), Bytes{0});
    EXPECT_EQ(encodeChannel(Channel::Rpm, 1e9), (Bytes{0xFF, 0xFF}));
}

TEST(ConsultChannels, LayoutRequestsRegistersThenMemoryAndDecodesInThatOrder)
{
    const StreamLayout layout({Channel::Rpm, Channel::Coolant, Channel::InjectionTime},
                              {{0x0108, kTpName, ""}});
    EXPECT_EQ(layout.registers(), (std::vector<std::uint8_t>{0x00, 0x01, 0x08, 0x14, 0x15}));
    EXPECT_EQ(layout.frameLength(), 6u);
    const auto values = layout.decode(Bytes{0x00, 0x50, 140, 0x01, 0xF4, 77});
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<double>{1000, 90, 5.0, 77}));
    EXPECT_FALSE(layout.decode(Bytes{0x00, 0x50, 140}));
    EXPECT_EQ(layout.columnOf(Channel::InjectionTime), 2u);
    EXPECT_EQ(layout.columnOf(kTpName), 3u);
    EXPECT_FALSE(layout.columnOf(Channel::Speed));

    // Every register and the TP byte fit in one frame.
    EXPECT_TRUE(standardLayout(0x0108).fits());
    EXPECT_FALSE(standardLayout(std::nullopt).columnOf(kTpName));
}

TEST(ConsultChannels, TpAddressComesFromTheDefinitionsConsultSection)
{
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("consult-def-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    struct Case
    {
        const char* text;
        std::optional<MemoryAddress> address;
    };
    const Case cases[] = {
        {"[consult]\ntpram=&h0108\n", 0x0108},
        {"[Consult]\nTPRAM=264\n", 264},
        {"[initialisation]\nromsize=32768\n", std::nullopt},
        {"[consult]\ntpram=unknown\n", std::nullopt},
        {"[consult]\ntpram=70000\n", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto path = dir / "definition";
        std::ofstream(path) << c.text;
        EXPECT_EQ(tpAddressFromDefinition(path.string()), c.address) << c.text;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace consult
