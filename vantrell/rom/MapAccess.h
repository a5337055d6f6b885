// The four maps of the ROM with their axes, the cell encoding, and the small conversions that several
// pages share.
#pragma once

#include "vantrell/engine/EngineDefinition.h"
#include "vantrell/document/RomBuffer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrell {

enum class MapKey { FuelHigh, FuelLow, IgnHigh, IgnLow };
enum class MapKind { Fuel, Ignition };

// "fuelhigh", "fuellow", "ignhigh", "ignlow".
const char* mapKeyText(MapKey key);
MapKind kindOf(MapKey key);
// The name shown in the status bar: "Main Fuel Map", "Knock Fuel Map", ...
const char* mapName(MapKey key);

struct MapSet
{
    std::uint32_t map = 0;      // 256 bytes, row-major
    std::uint32_t rpmAxis = 0;  // 16 bytes, one a row (byte x 50 = rpm)
    std::uint32_t loadAxis = 0; // 16 bytes, one a column
};

// The addresses of a map and its axes; nothing when the definition does not place them inside the
// ROM (a refused or missing definition).
std::optional<MapSet> mapSet(const EngineDefinition& def, std::size_t romSize, MapKey key);

inline std::uint32_t cellAddress(const MapSet& set, int r, int c)
{
    return set.map + static_cast<std::uint32_t>(16 * r + c);
}

struct DecodedCell
{
    bool flag = false; // bit 7: O2 feedback or knock enable
    bool bit6 = false; // for flagged fuel cells: set means zero or positive
    int value = 0;     // the data value
};
DecodedCell decodeCell(MapKind kind, std::uint8_t b);

// The rev limit at `address` as text with a leading blank ("revsize" 1: one byte x "revtimes" in
// single precision; otherwise two bytes high first x "revtimes").
std::string readScaledValue(const EngineDefinition& def, const RomBuffer& rom, std::uint32_t address);

// The bytes that store `value` / "revtimes" (one byte for "revsize" 1, else two bytes high first). The
// caller keeps the value within what the width holds.
std::vector<std::uint8_t> scaledValueBytes(const EngineDefinition& def, double value);

// The text after the last '\' or '/' of a path (the whole path when it has none).
std::string fileNameOf(const std::string& path);

// True when a file of that name exists.
bool fileExists(const std::string& path);

} // namespace vantrell
