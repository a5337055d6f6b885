// The INI reader on any file: a section and key name from the input, the rest is the file. Reads
// change nothing on disk; a value never exceeds 254 characters; the section listing is consistent;
// a plain setting written is read back as written.
#include "fuzz/targets/FuzzFiles.h"

#include "common/clsIniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A name or value the writer can store and the reader give back: letters and digits only.
std::string plainText(FuzzedDataProvider& in, std::size_t maxLength)
{
    std::string text = in.ConsumeRandomLengthString(maxLength);
    std::string out;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out.push_back(c);
    return out.empty() ? std::string("k") : out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string newSection = plainText(in, 12);
    const std::string newKey = plainText(in, 12);
    const std::string newValue = plainText(in, 40);
    const std::string contents = in.ConsumeRemainingBytesAsString();

    common::clsIniFile ini;
    ini.File = fuzz::writeScratch("settings.ini", contents);

    const std::string value = ini.GetSetting(section, key);
    FUZZ_CHECK(value.size() <= 254);

    std::vector<std::string> keys;
    const std::int16_t count = ini.GetSection(section, keys);
    FUZZ_CHECK(count >= 0);
    FUZZ_CHECK(keys.size() == static_cast<std::size_t>(count) + 1);
    FUZZ_CHECK(keys[0].empty());
    // Each listed key through the text read once: the file's answers, without a read per key.
    const common::IniText text = common::IniText::read(ini.File);
    FUZZ_CHECK(text.setting(section, key) == value);
    std::size_t listed = 0;
    for (std::size_t i = 1; i < keys.size(); ++i) {
        FUZZ_CHECK(keys[i].size() >= 2);
        listed += keys[i].size();
        FUZZ_CHECK(text.setting(section, keys[i]).size() <= 254);
    }
    FUZZ_CHECK(listed <= 2500);
    FUZZ_CHECK(fuzz::readScratch(ini.File) == contents);

    // A setting written is read back.
    if (ini.SaveSetting(newSection, newKey, newValue) != 0)
        FUZZ_CHECK(ini.GetSetting(newSection, newKey) == newValue.substr(0, 254));
    return 0;
}
