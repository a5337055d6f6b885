// An engine definition for the editor made from the maps the finder found: which candidate becomes
// which of the four maps, and the text of the INI file, so that a tuner with an unknown ROM can
// start editing at once.
#pragma once

#include "MapFinder.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace skerrow {

// The four maps of a definition, in the order of their keys.
enum class MapSlot { FuelHigh = 0, FuelLow = 1, IgnHigh = 2, IgnLow = 3 };
constexpr std::array<MapSlot, 4> kMapSlots = {MapSlot::FuelHigh, MapSlot::FuelLow, MapSlot::IgnHigh,
                                              MapSlot::IgnLow};

// "fuelhighmap", "fuellowmap", "ignhighmap", "ignlowmap".
const char* slotKey(MapSlot slot);

// For each slot the index of the candidate chosen for it, or -1 for none yet.
struct MapChoice
{
    std::array<int, 4> candidate = {-1, -1, -1, -1};

    int& operator[](MapSlot slot) { return candidate[static_cast<std::size_t>(slot)]; }
    int operator[](MapSlot slot) const { return candidate[static_cast<std::size_t>(slot)]; }
    bool operator==(const MapChoice&) const = default;
};

// The two best fuel-like 16x16 candidates as the main and the knock fuel maps, the two best
// timing-like ones as the ignition maps (the list is best first). A slot stays empty when fewer
// than two of its kind were found.
MapChoice chooseMaps(const std::vector<MapCandidate>& candidates);

// The keys of the slots without a map, in key order.
std::vector<std::string> missingSlots(const MapChoice& choice);

// The text of the definition file, or why none can be written (text then empty).
struct DefinitionText
{
    std::string text;
    std::string problem;
};

// The engine definition for an image of `imageSize` bytes named `imageName` (the file name, shown
// by the editor as the engine's name): "romsize" from the image size, the chosen maps, the fuel
// axes from the main fuel map (else the knock one) and the ignition axes from the main ignition map
// (else the knock one), "&hffff" for every other table, and 0 for the engine's facts, which no
// image tells (the injector, airflow meter and limiter tools refuse such values until the user
// sets them). Addresses are written as "&h" with lower-case hexadecimal digits, lines end in CR LF.
// Refused (problem set) when a slot is empty or holds no 16x16 candidate, when no axes fit the
// maps of a kind, or when the editor cannot take an image of that size (256 to 65536 bytes in
// whole 256-byte pages).
DefinitionText composeDefinition(const std::vector<MapCandidate>& candidates, const MapChoice& choice,
                                 std::int64_t imageSize, const std::string& imageName);

} // namespace skerrow
