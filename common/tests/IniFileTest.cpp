#include "common/clsIniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace common;

namespace {

class IniFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("tessavel-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ini.File = (dir / "test.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void write(const std::string& text)
    {
        std::ofstream out(ini.File, std::ios::binary);
        out << text;
    }
    std::string read()
    {
        std::string s;
        readWholeFile(ini.File, s);
        return s;
    }

    std::filesystem::path dir;
    clsIniFile ini;
};

} // namespace

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesUnknownValue)
{
    EXPECT_EQ(ini.GetSetting("init", "filename"), "unknown value");
    write("[init]\r\nfilename=a.bin\r\n");
    EXPECT_EQ(ini.GetSetting("other", "filename"), "unknown value");
    EXPECT_EQ(ini.GetSetting("init", "engine"), "unknown value");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseBlanksAreTrimmedAndTheFirstMatchWins)
{
    write("; comment\n[Address Locations]\n  FuelHighMap =  &h7000  \nfuelhighmap=&h1\n"
          "[address locations]\nfuelhighmap=&h2\n");
    EXPECT_EQ(ini.GetSetting("address locations", "fuelhighmap"), "&h7000");
    EXPECT_EQ(ini.GetSetting(" ADDRESS LOCATIONS ", "FUELHIGHMAP"), "&h7000");
}

TEST_F(IniFileTest, QuotesAreRemovedEmptyValuesAreReportedAndLongValuesCut)
{
    write(std::string("[s]\nq=\"quoted value\"\nhalf=\"open\nempty=\nlong=") + std::string(300, 'x') + "\n");
    EXPECT_EQ(ini.GetSetting("s", "q"), "quoted value");
    EXPECT_EQ(ini.GetSetting("s", "half"), "\"open");
    EXPECT_EQ(ini.GetSetting("s", "empty"), "Unknown section or key");
    EXPECT_EQ(ini.GetSetting("s", "long").size(), 254u);
}

TEST_F(IniFileTest, SaveSettingCreatesFileSectionAndKeyAndKeepsOtherLines)
{
    EXPECT_NE(ini.SaveSetting("init", "filename", "C:\\data\\a.bin"), 0);
    EXPECT_EQ(ini.GetSetting("init", "filename"), "C:\\data\\a.bin");

    write("; keep me\r\n[init]\r\nfilename=old.bin\r\nengine=x.ini\r\n\r\n[ports]\r\n1=/dev/ttyUSB0\r\n");
    EXPECT_NE(ini.SaveSetting("INIT", "FileName", "new.bin"), 0);
    EXPECT_NE(ini.SaveSetting("init", "extra", "1"), 0);
    EXPECT_NE(ini.SaveSetting("more", "k", "v"), 0);
    EXPECT_EQ(read(), "; keep me\r\n[init]\r\nFileName=new.bin\r\nengine=x.ini\r\nextra=1\r\n\r\n"
                      "[ports]\r\n1=/dev/ttyUSB0\r\n[more]\r\nk=v\r\n");
}

TEST_F(IniFileTest, SaveSettingIntoAFolderThatDoesNotExistFailsAndChangesNothing)
{
    ini.File = (dir / "missing" / "x.ini").string();
    EXPECT_EQ(ini.SaveSetting("a", "b", "c"), 0);
    EXPECT_FALSE(std::filesystem::exists(ini.File));
}

TEST_F(IniFileTest, SectionsCanBeListedAndDeleted)
{
    write("[a]\nfirst=1\nsecond=2\nx=3\nthird=4\n[b]\nk=v\n");
    std::vector<std::string> keys;
    EXPECT_EQ(ini.GetSection("a", keys), 2); // stops at the one-character name
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0], "");
    EXPECT_EQ(keys[1], "first");
    EXPECT_EQ(keys[2], "second");
    ini.DeleteSection("A");
    EXPECT_EQ(ini.GetSetting("a", "first"), "unknown value");
    EXPECT_EQ(ini.GetSetting("b", "k"), "v");
}

TEST_F(IniFileTest, RandomAndTruncatedTextsNeverCrash)
{
    std::mt19937 rng(1234);
    const std::string alphabet = "[]=;\"'\r\n \tabcAB12&h";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        int length = static_cast<int>(rng() % 200);
        for (int i = 0; i < length; ++i)
            text += alphabet[rng() % alphabet.size()];
        write(text);
        (void)ini.GetSetting("a", "b");
        std::vector<std::string> keys;
        (void)ini.GetSection("ab", keys);
        if (round % 10 == 0) {
            EXPECT_NE(ini.SaveSetting("a", "b", "c"), 0);
        }
    }
}
