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

// The section name of a "[name]" line, or nothing for another line. A header that lost its ']'
// ("[initialisation" on its own) still opens the section: the rest of the line is its name.
bool sectionName(const std::string& text, std::string& name)
{
    std::string t = trim(text);
    if (t.size() < 2 || t.front() != '[')
        return false;
    std::size_t close = t.find(']');
    name = trim(close == std::string::npos ? t.substr(1) : t.substr(1, close - 1));
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

// An INI file's bytes as the parser sees them. A file that starts with the UTF-16 LE byte order mark
// ("Unicode" as Windows editors save it) is decoded to UTF-8 and encoded back on save. Lone
// surrogates decode to their three-byte forms and a dangling odd byte is kept aside, so a file
// written back is unchanged outside the edited lines. A ^Z (0x1A) ends the text as on DOS and
// Windows: what follows it is not read, and a save keeps it after the text.
struct IniDocument
{
    bool utf16 = false;
    std::string text;    // UTF-8 (or the file's own 8-bit text) up to the first ^Z
    std::string tail;    // from the first ^Z on, in the same form as text
    std::string oddByte; // a UTF-16 file's last byte when its length is odd
};

constexpr char kEndOfFile = '\x1a';

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUtf16(std::string& out, std::uint32_t unit)
{
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

std::string utf16ToUtf8(const std::string& bytes, std::size_t begin, std::size_t end)
{
    auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    std::string out;
    for (std::size_t i = begin; i + 1 < end; i += 2) {
        std::uint32_t u = unitAt(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < end) {
            std::uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u);
    }
    return out;
}

// The way back: well-formed sequences (a surrogate's three-byte form among them) give their code
// units; a byte that starts no sequence becomes U+FFFD.
std::string utf8ToUtf16(const std::string& text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char b = byteAt(i);
        std::size_t length = b < 0x80                ? 1
                             : b >= 0xC2 && b < 0xE0 ? 2
                             : b >= 0xE0 && b < 0xF0 ? 3
                             : b >= 0xF0 && b < 0xF5 ? 4
                                                     : 0;
        std::uint32_t cp = length == 1   ? b
                           : length == 2 ? (b & 0x1Fu)
                           : length == 3 ? (b & 0x0Fu)
                                         : (b & 0x07u);
        bool ok = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            ok = (byteAt(i + k) & 0xC0) == 0x80;
            cp = (cp << 6) | (byteAt(i + k) & 0x3Fu);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < least[length] || cp > 0x10FFFF))
            ok = false;
        if (!ok) {
            appendUtf16(out, 0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            appendUtf16(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendUtf16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUtf16(out, cp);
        }
        i += length;
    }
    return out;
}

IniDocument decodeIni(const std::string& bytes)
{
    IniDocument doc;
    std::string all;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        doc.utf16 = true;
        const std::size_t end = bytes.size() - (bytes.size() % 2);
        all = utf16ToUtf8(bytes, 2, end);
        doc.oddByte = bytes.substr(end);
    } else {
        all = bytes;
    }
    const std::size_t eof = all.find(kEndOfFile);
    doc.text = all.substr(0, eof);
    if (eof != std::string::npos)
        doc.tail = all.substr(eof);
    return doc;
}

std::string encodeIni(const IniDocument& doc)
{
    if (!doc.utf16)
        return doc.text + doc.tail;
    return std::string("\xFF\xFE", 2) + utf8ToUtf16(doc.text + doc.tail) + doc.oddByte;
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
    for (const Line& line : splitLines(decodeIni(contents).text)) {
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
    IniDocument doc = decodeIni(contents);
    std::vector<Line> lines = splitLines(doc.text);
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
                lines[i].text = k + "=" + Value; // the key keeps the file's spelling
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
    doc.text = joinLines(lines);
    std::string error;
    return writeFileReplacing(File, encodeIni(doc), error) ? 1 : 0;
}

void clsIniFile::DeleteSection(const std::string& Section)
{
    std::string contents;
    if (File.empty() || !readWholeFile(File, contents))
        return;
    IniDocument doc = decodeIni(contents);
    std::vector<Line> lines = splitLines(doc.text);
    long header = findSection(lines, trim(Section));
    if (header < 0)
        return;
    std::size_t end = sectionEnd(lines, static_cast<std::size_t>(header));
    lines.erase(lines.begin() + header, lines.begin() + static_cast<long>(end));
    doc.text = joinLines(lines);
    std::string error;
    writeFileReplacing(File, encodeIni(doc), error);
}

std::int16_t clsIniFile::GetSection(const std::string& Section, std::vector<std::string>& KeyArray) const
{
    return IniText::read(File).sectionKeys(Section, KeyArray);
}

} // namespace common
