// A ROM image file of any size read into a buffer of any definition's ROM size: the buffer keeps its
// size, holds the file's first bytes and zeros after a short file; a file that cannot be read changes
// nothing; a saved image reads back byte for byte.
#include "fuzz/targets/FuzzFiles.h"

#include "vantrell/document/RomDocument.h"
#include "vantrell/document/RomFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::size_t romSize = 256 * in.ConsumeIntegralInRange<std::size_t>(1, 256);
    const std::string file = in.ConsumeRemainingBytesAsString();

    vantrell::RomDocument rom;
    static const std::vector<std::uint8_t> pattern = [] {
        std::vector<std::uint8_t> bytes(65536);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i ^ 0x5A);
        return bytes;
    }();
    rom.loadImage(std::vector<std::uint8_t>(pattern.begin(), pattern.begin() + static_cast<long>(romSize)));

    const std::string path = fuzz::writeScratch("image.bin", file);
    const auto read = vantrell::readRomImage(path, rom);
    FUZZ_CHECK(read.ok);
    FUZZ_CHECK(rom.size() == romSize);
    FUZZ_CHECK(read.bytesRead == std::min(file.size(), romSize));
    FUZZ_CHECK(read.shortFile == (file.size() < romSize));
    std::vector<std::uint8_t> expected(romSize, 0);
    std::copy_n(file.begin(), std::min(file.size(), romSize), expected.begin());
    FUZZ_CHECK(rom.bytes() == expected);

    // A path that names a folder cannot be read: the buffer stays as the read above left it.
    const auto kept = rom.bytes();
    const auto refused = vantrell::readRomImage(fuzz::scratchFolder().string(), rom);
    FUZZ_CHECK(!refused.ok && !refused.error.empty());
    FUZZ_CHECK(rom.bytes() == kept);

    std::string error;
    const std::string saved = (fuzz::scratchFolder() / "saved.bin").string();
    FUZZ_CHECK(vantrell::writeRomImage(saved, rom.buffer(), error));
    const std::string back = fuzz::readScratch(saved);
    FUZZ_CHECK(back.size() == romSize);
    FUZZ_CHECK(std::equal(back.begin(), back.end(), kept.begin(),
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    return 0;
}
