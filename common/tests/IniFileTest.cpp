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
    EXPECT_EQ(read(), "; keep me\r\n[init]\r\nfilename=new.bin\r\nengine=x.ini\r\nextra=1\r\n\r\n"
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

namespace {

// UTF-16 LE bytes with the byte order mark, as Windows editors save "Unicode" text.
std::string unicodeFile(const std::u16string& text)
{
    std::string bytes("\xFF\xFE", 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

} // namespace

// Files as other Windows programs leave them, read the way an engine definition is: the file read
// once into an IniText.
TEST_F(IniFileTest, FilesAsWindowsLeavesThemAreReadThroughTheDefinitionReader)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"unicode",
         unicodeFile(u"[initialisation]\r\nromsize=32768\r\nconfig=Motor \u00D8 \u6570\u636E \U0001F600\r\n"),
         "initialisation", "config", "Motor \xC3\x98 \xE6\x95\xB0\xE6\x8D\xAE \xF0\x9F\x98\x80"},
        {"unicode, no line end", unicodeFile(u"[initialisation]\r\nromsize=32768"), "INITIALISATION",
         "romsize", "32768"},
        {"unicode, odd length", unicodeFile(u"[a]\r\nk=v\r\n") + "\x01", "a", "k", "v"},
        {"header without ]", "[initialisation\r\nromsize=32768\r\n[address locations]\r\nkval=&h7f00\r\n",
         "initialisation", "romsize", "32768"},
        {"header without ] ends the section before", "[a]\r\nk=1\r\n[b\r\nk=2\r\n", "b", "k", "2"},
        {"^Z after the last line", "[a]\r\nk=1\r\n\x1A", "a", "k", "1"},
        {"^Z right after the last value", "[a]\r\nk=1\x1A", "a", "k", "1"},
        {"nothing after ^Z is read", "[a]\r\nk=1\r\n\x1A\r\n[b]\r\nk=2\r\n", "b", "k", "unknown value"},
        {"unicode with ^Z", unicodeFile(u"[a]\r\nk=1\r\n\x1A"), "a", "k", "1"},
    };
    for (const Case& c : cases) {
        write(c.bytes);
        EXPECT_EQ(IniText::read(ini.File).setting(c.section, c.key), c.expected) << c.what;
        EXPECT_EQ(ini.GetSetting(c.section, c.key), c.expected) << c.what;
    }
}

TEST_F(IniFileTest, SavesKeepTheFilesEncodingEndMarkAndSpelling)
{
    struct Case
    {
        const char* what;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"unicode: replace, add a key, lines kept",
         unicodeFile(u"; \u00E9t\u00E9\r\n[init]\r\nengine=a.ini\r\n"), "init", "filename", "\xC3\xA9.bin",
         unicodeFile(u"; \u00E9t\u00E9\r\n[init]\r\nengine=a.ini\r\nfilename=\u00E9.bin\r\n")},
        {"unicode: a lone surrogate and an odd byte survive",
         unicodeFile(u"[a]\r\nk=1\r\n; ") + std::string("\x00\xD8", 2) + unicodeFile(u"\r\n").substr(2) +
             "\x07",
         "a", "k", "2",
         unicodeFile(u"[a]\r\nk=2\r\n; ") + std::string("\x00\xD8", 2) + unicodeFile(u"\r\n").substr(2) +
             "\x07"},
        {"new lines go before ^Z", "[a]\r\nk=1\r\n\x1A", "b", "x", "2", "[a]\r\nk=1\r\n[b]\r\nx=2\r\n\x1A"},
        {"replacing the last value before ^Z", "[a]\r\nk=1\x1A", "a", "k", "2", "[a]\r\nk=2\x1A"},
        {"the file's spelling of the key", "[Init]\r\nFileName = old.bin\r\n", "INIT", "filename", "new.bin",
         "[Init]\r\nFileName=new.bin\r\n"},
        {"into a header without ]", "[init\r\nk=1\r\n[b]\r\n", "init", "k", "2", "[init\r\nk=2\r\n[b]\r\n"},
    };
    for (const Case& c : cases) {
        write(c.before);
        EXPECT_NE(ini.SaveSetting(c.section, c.key, c.value), 0) << c.what;
        EXPECT_EQ(read(), c.after) << c.what;
        EXPECT_EQ(IniText::read(ini.File).setting(c.section, c.key), c.value) << c.what;
    }

    // Deleting a section from a unicode file keeps it unicode.
    write(unicodeFile(u"[a]\r\nk=1\r\n[b]\r\nk=2\r\n"));
    ini.DeleteSection("a");
    EXPECT_EQ(read(), unicodeFile(u"[b]\r\nk=2\r\n"));
}
