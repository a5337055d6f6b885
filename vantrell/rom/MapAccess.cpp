#include "vantrell/rom/MapAccess.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"

#include <filesystem>

namespace vantrell {

const char* mapKeyText(MapKey key)
{
    switch (key) {
    case MapKey::FuelHigh:
        return "fuelhigh";
    case MapKey::FuelLow:
        return "fuellow";
    case MapKey::IgnHigh:
        return "ignhigh";
    case MapKey::IgnLow:
        return "ignlow";
    }
    return "fuelhigh";
}

MapKind kindOf(MapKey key)
{
    return key == MapKey::FuelHigh || key == MapKey::FuelLow ? MapKind::Fuel : MapKind::Ignition;
}

const char* mapName(MapKey key)
{
    switch (key) {
    case MapKey::FuelHigh:
        return "Main Fuel Map";
    case MapKey::FuelLow:
        return "Knock Fuel Map";
    case MapKey::IgnHigh:
        return "Main Ignition Map";
    case MapKey::IgnLow:
        return "Knock Ignition Map";
    }
    return "";
}

std::optional<MapSet> mapSet(const EngineDefinition& def, std::size_t romSize, MapKey key)
{
    const std::string* map = &def.fuelhighmap;
    const std::string* rpm = &def.fuelrev;
    const std::string* load = &def.fuelflow;
    switch (key) {
    case MapKey::FuelHigh:
        break;
    case MapKey::FuelLow:
        map = &def.fuellowmap;
        break;
    case MapKey::IgnHigh:
        map = &def.ignhighmap;
        rpm = &def.ignrev;
        load = &def.ignflow;
        break;
    case MapKey::IgnLow:
        map = &def.ignlowmap;
        rpm = &def.ignrev;
        load = &def.ignflow;
        break;
    }
    const auto size = static_cast<std::uint32_t>(romSize);
    auto m = addressInRom(*map, 256, size);
    auto r = addressInRom(*rpm, 16, size);
    auto l = addressInRom(*load, 16, size);
    if (!m || !r || !l)
        return std::nullopt;
    return MapSet{*m, *r, *l};
}

DecodedCell decodeCell(MapKind kind, std::uint8_t b)
{
    DecodedCell cell;
    cell.flag = (b & 0x80) != 0;
    cell.bit6 = (b & 0x40) != 0;
    if (!cell.flag)
        cell.value = b;
    else
        cell.value = kind == MapKind::Fuel ? b - 192 : b - 128;
    return cell;
}

std::string readScaledValue(const EngineDefinition& def, const RomBuffer& rom, std::uint32_t address)
{
    if (def.revsize == 1)
        return common::numberTextSingle(static_cast<float>(rom.at(address)) * def.revtimes);
    double v = (static_cast<double>(rom.at(address)) * 256.0 + rom.at(address + 1)) *
               static_cast<double>(def.revtimes);
    return common::numberText(v);
}

std::vector<std::uint8_t> scaledValueBytes(const EngineDefinition& def, double value)
{
    const double stored = def.revtimes != 0 ? value / static_cast<double>(def.revtimes) : 0.0;
    if (def.revsize == 1)
        return {common::toByte(stored)};
    std::int32_t n = common::toInt32(stored);
    if (n < 0)
        n = 0;
    if (n > 65535)
        n = 65535;
    return {static_cast<std::uint8_t>(n / 256), static_cast<std::uint8_t>(n % 256)};
}

std::string fileNameOf(const std::string& path)
{
    auto pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(common::filePath(path), ec);
}

} // namespace vantrell
