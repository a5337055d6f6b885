#include "vantrell/document/RomFile.h"

#include "common/clsIniFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace vantrell {

RomRead readRomImage(const std::string& path, RomDocument& rom)
{
    RomRead result;
    std::ifstream in(common::filePath(path), std::ios::binary);
    if (!in) {
        result.error = std::strerror(errno);
        return result;
    }
    std::vector<std::uint8_t> data(rom.size(), 0);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (in.bad()) {
        result.error = "read error";
        return result;
    }
    result.bytesRead = static_cast<std::size_t>(in.gcount());
    result.shortFile = result.bytesRead < rom.size();
    result.fileSize = result.bytesRead;
    if (!result.shortFile) {
        in.clear();
        in.seekg(0, std::ios::end);
        const std::streamoff end = in.tellg();
        if (end > 0)
            result.fileSize = static_cast<std::size_t>(end);
    }
    rom.loadImage(std::move(data));
    result.ok = true;
    return result;
}

std::string romSizeMismatchLine(const std::string& fileName, const RomRead& read, std::size_t romSize)
{
    if (read.shortFile)
        return "Rom image " + fileName + " is shorter than the rom size: " + std::to_string(read.bytesRead) +
               " of " + std::to_string(romSize) + " bytes read, the rest filled with zeros";
    if (read.fileSize > romSize)
        return "Rom image " + fileName + " is " + std::to_string(read.fileSize) +
               " bytes, larger than the rom size of the engine config (" + std::to_string(romSize) +
               " bytes): only its first " + std::to_string(romSize) + " bytes were read";
    return {};
}

bool writeRomImage(const std::string& path, const RomBuffer& rom, std::string& error)
{
    const auto& b = rom.bytes();
    return common::writeFileReplacing(path, std::string(b.begin(), b.end()), error);
}

} // namespace vantrell
