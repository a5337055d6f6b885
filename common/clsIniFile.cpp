#include "clsIniFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

namespace common {

namespace {

constexpr std::size_t kMaxValueLength = 254;
constexpr std::size_t kMaxSectionNamesLength = 2500;

std::string trim(const std::string& s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// One line of an INI file with the line ending it had.
struct Line
{
    std::string text;
    std::string ending;
};

std::vector<Line> splitLines(const std::string& contents)
{
    std::vector<Line> lines;
    std::size_t i = 0;
    while (i < contents.size()) {
        std::size_t j = i;
        while (j < contents.size() && contents[j] != '\n' && contents[j] != '\r')
            ++j;
        Line line{contents.substr(i, j - i), ""};
        if (j < contents.size()) {
            if (contents[j] == '\r' && j + 1 < contents.size() && contents[j + 1] == '\n') {
                line.ending = "\r\n";
                j += 2;
            } else {
                line.ending = std::string(1, contents[j]);
                ++j;
            }
        }
        lines.push_back(line);
        i = j;
    }
    return lines;
}

// The section name of a "[name]" line, or nothing for another line.
bool sectionName(const std::string& text, std::string& name)
{
    std::string t = trim(text);
    if (t.size() < 2 || t.front() != '[')
        return false;
    std::size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool keyLine(const std::string& text, std::string& key, std::string& value)
{
    std::string t = trim(text);
    if (t.empty() || t.front() == ';')
        return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

// Index of the first line of the first matching section's header, or -1.
long findSection(const std::vector<Line>& lines, const std::string& section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (sectionName(lines[i].text, name) && sameName(name, section))
            return static_cast<long>(i);
    }
    return -1;
}

// One past the last line that belongs to the section starting at `header`.
std::size_t sectionEnd(const std::vector<Line>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    std::string name;
    while (i < lines.size() && !sectionName(lines[i].text, name))
        ++i;
    return i;
}

std::string joinLines(const std::vector<Line>& lines)
{
    std::string out;
    for (const Line& l : lines)
        out += l.text + l.ending;
    return out;
}

} // namespace

bool readWholeFile(const std::string& path, std::string& contents)
{
    std::ifstream in(filePath(path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return false;
    contents = ss.str();
    return true;
}

bool writeFileReplacing(const std::string& path, const std::string& contents, std::string& error)
{
    namespace fs = std::filesystem;
    const fs::path target = filePath(path);
    fs::path temp = target;
    temp += ".tmp-save";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + pathText(temp);
            return false;
        }
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            error = "cannot write " + pathText(temp);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        error = ec.message();
        return false;
    }
    return true;
}

std::string normalisePath(const std::string& path)
{
#ifdef _WIN32
    return path;
#else
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
#endif
}

std::filesystem::path filePath(const std::string& utf8Path)
{
    const std::string p = normalisePath(utf8Path);
    return std::filesystem::path(std::u8string(p.begin(), p.end()));
}

std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

IniText::IniText(const std::string& contents)
{
    for (const Line& line : splitLines(contents)) {
        std::string name, value;
        if (sectionName(line.text, name))
            sections_.push_back({std::move(name), {}});
        else if (!sections_.empty() && keyLine(line.text, name, value))
            sections_.back().keys.push_back({std::move(name), std::move(value)});
    }
}

IniText IniText::read(const std::string& path)
{
    std::string contents;
    if (path.empty() || !readWholeFile(path, contents))
        return IniText();
    return IniText(contents);
}

const IniText::Section* IniText::find(const std::string& section) const
{
    const std::string wanted = trim(section);
    for (const Section& s : sections_)
        if (sameName(s.name, wanted))
            return &s;
    return nullptr;
}

std::string IniText::setting(const std::string& section, const std::string& key) const
{
    const Section* s = find(section);
    if (!s)
        return clsIniFile::kUnknownValue;
    const std::string wanted = trim(key);
    for (const Key& k : s->keys) {
        if (!sameName(k.name, wanted))
            continue;
        std::string value = k.value;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (value.size() > kMaxValueLength)
            value.resize(kMaxValueLength);
        if (value.empty())
            return clsIniFile::kEmptyValue;
        return value;
    }
    return clsIniFile::kUnknownValue;
}

std::int16_t IniText::sectionKeys(const std::string& section, std::vector<std::string>& keys) const
{
    keys.assign(1, std::string());
    const Section* s = find(section);
    if (!s)
        return 0;
    std::size_t used = 0;
    for (const Key& k : s->keys) {
        if (k.name.size() < 2)
            break;
        used += k.name.size() + 1;
        if (used > kMaxSectionNamesLength)
            break;
        keys.push_back(k.name);
    }
    return static_cast<std::int16_t>(keys.size() - 1);
}

std::string clsIniFile::GetSetting(const std::string& Section, const std::string& KeyName) const
{
    return IniText::read(File).setting(Section, KeyName);
}

std::int16_t clsIniFile::SaveSetting(const std::string& Section, const std::string& KeyName,
                                     const std::string& Value)
{
    if (File.empty())
        return 0;
    std::string contents;
    readWholeFile(File, contents); // a missing file is created
    std::vector<Line> lines = splitLines(contents);
    std::string eol = "\r\n";
    for (const Line& l : lines)
        if (!l.ending.empty()) {
            eol = l.ending;
            break;
        }
    const std::string section = trim(Section);
    const std::string key = trim(KeyName);
    const std::string newLine = key + "=" + Value;
    long header = findSection(lines, section);
    if (header < 0) {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = eol;
        lines.push_back({"[" + section + "]", eol});
        lines.push_back({newLine, eol});
    } else {
        std::size_t end = sectionEnd(lines, static_cast<std::size_t>(header));
        bool replaced = false;
        std::size_t lastKey = static_cast<std::size_t>(header);
        for (std::size_t i = static_cast<std::size_t>(header) + 1; i < end; ++i) {
            std::string k, v;
            if (!keyLine(lines[i].text, k, v))
                continue;
            lastKey = i;
            if (sameName(k, key)) {
                lines[i].text = newLine;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            if (lines[lastKey].ending.empty())
                lines[lastKey].ending = eol;
            lines.insert(lines.begin() + static_cast<long>(lastKey) + 1, Line{newLine, eol});
        }
    }
    std::string error;
    return writeFileReplacing(File, joinLines(lines), error) ? 1 : 0;
}

void clsIniFile::DeleteSection(const std::string& Section)
{
    std::string contents;
    if (File.empty() || !readWholeFile(File, contents))
        return;
    std::vector<Line> lines = splitLines(contents);
    long header = findSection(lines, trim(Section));
    if (header < 0)
        return;
    std::size_t end = sectionEnd(lines, static_cast<std::size_t>(header));
    lines.erase(lines.begin() + header, lines.begin() + static_cast<long>(end));
    std::string error;
    writeFileReplacing(File, joinLines(lines), error);
}

std::int16_t clsIniFile::GetSection(const std::string& Section, std::vector<std::string>& KeyArray) const
{
    return IniText::read(File).sectionKeys(Section, KeyArray);
}

} // namespace common
