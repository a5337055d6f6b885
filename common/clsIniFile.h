// INI file access with the behaviour stored settings files rely on: section and key names
// match without regard to case, the first matching section and key win, blanks around names and
// values are trimmed, a value wrapped in one pair of matching quotes loses them, values are cut to
// 254 characters. A header missing its ']' still opens its section; a ^Z (0x1A) ends the text; a
// file that starts with the UTF-16 LE byte order mark is read as such and saved in it again. Every
// call reads or writes the file whole; nothing is cached between calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace common {

// The text of an INI file read once, for a reader that asks for many settings of one file (an engine
// definition asks for forty): the same answers as clsIniFile gives for a file holding this text.
class IniText
{
  public:
    IniText() = default;
    // `contents` are the file's bytes, in any of the encodings the file may have.
    explicit IniText(const std::string& contents);

    // Reads the file; a file that cannot be read gives the text of an empty file.
    static IniText read(const std::string& path);

    std::string setting(const std::string& section, const std::string& key) const;
    std::int16_t sectionKeys(const std::string& section, std::vector<std::string>& keys) const;

  private:
    struct Key
    {
        std::string name;
        std::string value; // trimmed, quotes still on
    };
    struct Section
    {
        std::string name;
        std::vector<Key> keys; // in file order
    };
    const Section* find(const std::string& section) const;

    // Every "[name]" (or "[name" without its bracket) line opens a section; lines before the first
    // belong to none.
    std::vector<Section> sections_;
};

class clsIniFile
{
  public:
    // Full path of the INI file; empty until set. Both '\' and '/' are accepted as separators.
    std::string File;

    // The key's value. A missing file, section or key gives "unknown value"; a key that exists with an
    // empty value gives "Unknown section or key".
    std::string GetSetting(const std::string& Section, const std::string& KeyName) const;

    // Writes KeyName=Value into the section, creating the file, section or key as needed and keeping
    // every other line of the file as it was, and its encoding. A key that exists keeps the file's
    // spelling of its name. Returns non-zero on success, 0 when the file cannot be
    // written (the old file is then left as it was).
    std::int16_t SaveSetting(const std::string& Section, const std::string& KeyName,
                             const std::string& Value);

    // Removes the section with all its keys (the first matching section).
    void DeleteSection(const std::string& Section);

    // Fills KeyArray(1 .. count) with the section's key names in file order; element 0 stays empty.
    // Reads at most 2500 characters of key names; the listing stops at the first key name shorter than
    // two characters. Returns the count.
    std::int16_t GetSection(const std::string& Section, std::vector<std::string>& KeyArray) const;

    static constexpr const char* kUnknownValue = "unknown value";
    static constexpr const char* kEmptyValue = "Unknown section or key";
};

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& contents);

// Writes a file through a temporary file beside it that is then renamed over the target, so a failed
// write leaves the old file intact. On failure returns false and sets `error` to a short reason.
bool writeFileReplacing(const std::string& path, const std::string& contents, std::string& error);

// Turns '\' separators into '/' (paths stored by Windows installs use '\').
std::string normalisePath(const std::string& path);

// Paths travel through the core as UTF-8 text. Every file access goes through filePath(), which reads
// the text as UTF-8 (on Windows the path is then wide, never a narrow name read in the ANSI code
// page), so a folder named "Jürgen Ø/数据" opens everywhere; pathText() is the way back.
std::filesystem::path filePath(const std::string& utf8Path);
std::string pathText(const std::filesystem::path& path);

} // namespace common
