#include "vantrell/editor/EditorState.h"
#include "vantrell/document/tests/DocumentTestSupport.h"

#include "common/clsIniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using vantrell::testing::poke;

using namespace vantrell;

namespace {

const char* kGoodDefinition =
    "[initialisation]\r\n"
    "injectorsize=370 cc\r\ncyl=6\r\ncc=2000\r\nconfig=Test Engine\r\n"
    "airflowmeter=1\r\nfuelstep=10\r\nfuelchange=8\r\nignstep=25\r\nignchange=3\r\n"
    "revtimes=12.5\r\nrevsize=2\r\nspeedtimes=2\r\nromsize=32768\r\n"
    "[address locations]\r\n"
    "fuelhighmap=&h7000\r\nfuellowmap=&h7100\r\nignhighmap=&h7200\r\nignlowmap=&h7300\r\n"
    "fuelrev=&h7400\r\nfuelflow=&h7410\r\nignrev=&h7420\r\nignflow=&h7430\r\n"
    "kval=&h7440\r\ninjnulltime=&h7442\r\nrev1=&h7450\r\nrev2=&hffff\r\n";

class DefinitionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir =
            std::filesystem::temp_directory_path() /
            (std::string("tessavel-def-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text)
    {
        auto p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::string replaced(const std::string& from, const std::string& to)
    {
        std::string s = kGoodDefinition;
        auto pos = s.find(from);
        EXPECT_NE(pos, std::string::npos) << from;
        if (pos != std::string::npos)
            s.replace(pos, from.size(), to);
        return s;
    }
    std::filesystem::path dir;
};

} // namespace

TEST_F(DefinitionTest, ReadsNumbersAndKeepsAddressesAsText)
{
    DefinitionLoad load = loadEngineDefinition(write("good.ini", kGoodDefinition));
    ASSERT_TRUE(load.ok) << load.reason;
    const EngineDefinition& d = load.definition;
    EXPECT_EQ(d.injectorsize, 370); // "370 cc" reads as 370
    EXPECT_EQ(d.cyl, 6);
    EXPECT_EQ(d.config, "Test Engine");
    EXPECT_FLOAT_EQ(d.revtimes, 12.5f);
    EXPECT_EQ(d.romsize, 32768);
    EXPECT_EQ(d.fuelhighmap, "&h7000");
    EXPECT_EQ(d.rev2, "&hffff");
    EXPECT_TRUE(isAbsent(d.rev2));
    EXPECT_FALSE(isAbsent("&HFFFF")); // the test compares text
    EXPECT_EQ(d.speed1, "unknown value");
    EXPECT_EQ(*addressOf("&h8000"), 32768u);
    EXPECT_FALSE(addressOf("unknown value"));
}

TEST_F(DefinitionTest, UnusableDefinitionsAreRefusedAndThePreviousOneStays)
{
    EditorState state;
    common::StatusLines status;
    ASSERT_TRUE(state.loadDefinition(write("good.ini", kGoodDefinition), status));
    poke(state.rom, 0x7000, 0x42);

    const std::pair<std::string, std::string> broken[] = {{"romsize=32768", "romsize=big"},
                                                          {"romsize=32768", "romsize=1000"},
                                                          {"romsize=32768", "romsize=0"},
                                                          {"romsize=32768", "romsize=131072"},
                                                          {"romsize=32768\r\n", ""},
                                                          {"fuelhighmap=&h7000", "fuelhighmap=main"},
                                                          {"ignlowmap=&h7300\r\n", ""},
                                                          {"fuelflow=&h7410", "fuelflow=&h7ff8"},
                                                          {"ignhighmap=&h7200", "ignhighmap=&h7f01"}};
    for (const auto& [from, to] : broken) {
        status.lines.clear();
        EXPECT_FALSE(state.loadDefinition(write("bad.ini", replaced(from, to)), status)) << to;
        ASSERT_EQ(status.lines.size(), 1u);
        EXPECT_NE(status.lines[0].find("bad.ini"), std::string::npos);
        EXPECT_EQ(state.def.config, "Test Engine");
        EXPECT_EQ(state.rom.size(), 32768u);
        EXPECT_EQ(state.rom.at(0x7000), 0x42);
    }
    EXPECT_FALSE(state.loadDefinition((dir / "missing.ini").string(), status));
}

TEST_F(DefinitionTest, ASecondLoadEmptiesTheRomBufferAtTheNewSize)
{
    EditorState state;
    common::StatusLines status;
    ASSERT_TRUE(state.loadDefinition(write("good.ini", kGoodDefinition), status));
    poke(state.rom, 5, 9);
    std::string small = replaced("romsize=32768", "romsize=16384");
    for (const char* a : {"&h7000", "&h7100", "&h7200", "&h7300", "&h7400", "&h7410", "&h7420", "&h7430"}) {
        auto pos = small.find(a);
        small.replace(pos + 2, 1, "3");
    }
    ASSERT_TRUE(state.loadDefinition(write("small.ini", small), status));
    EXPECT_EQ(state.rom.size(), 16384u);
    EXPECT_EQ(state.rom.at(5), 0);
    ASSERT_TRUE(state.currentMapSet());
    EXPECT_EQ(state.currentMapSet()->map, 0x3000u);
}

TEST_F(DefinitionTest, RandomAndTruncatedDefinitionsNeverCrash)
{
    std::mt19937 rng(99);
    const std::string good = kGoodDefinition;
    for (int round = 0; round < 300; ++round) {
        std::string text = good.substr(0, rng() % good.size());
        for (int k = 0; k < 5; ++k)
            if (!text.empty())
                text[rng() % text.size()] = "=[]&h0F9 \n"[rng() % 10];
        EditorState state;
        common::StatusLines status;
        if (state.loadDefinition(write("fuzz.ini", text), status)) {
            auto set = state.currentMapSet();
            ASSERT_TRUE(set);
            EXPECT_LE(set->map + 256u, state.rom.size());
        }
    }
}
