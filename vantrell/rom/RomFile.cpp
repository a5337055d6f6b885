#include "vantrell/rom/RomFile.h"

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
    rom.loadImage(std::move(data));
    result.ok = true;
    return result;
}

bool writeRomImage(const std::string& path, const RomBuffer& rom, std::string& error)
{
    const auto& b = rom.bytes();
    return common::writeFileReplacing(path, std::string(b.begin(), b.end()), error);
}

} // namespace vantrell
