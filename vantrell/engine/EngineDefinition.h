// The engine definition: where one engine's ROM keeps its maps, axes, limiters and injector constants,
// and a few facts about the engine, read from an INI file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrell {

struct EngineDefinition
{
    // Section "initialisation".
    std::int32_t injectorsize = 0; // cc per minute; the injector resize changes it in memory
    std::int32_t cyl = 0;
    std::int32_t cc = 0;
    std::string config;            // the engine's name, shown in the status bar
    std::int16_t airflowmeter = 0; // index 0..8 of the stock meter in afm.ini
    std::int16_t fuelstep = 0;
    std::int16_t fuelchange = 0;
    std::int16_t ignstep = 0;
    std::int16_t ignchange = 0;
    float revtimes = 0;
    std::int16_t revsize = 0;
    float speedtimes = 0;
    std::int32_t romsize = 0;

    // Section "address locations": kept as text and converted at each use.
    std::string fuelhighmap, fuellowmap, ignhighmap, ignlowmap;
    std::string kval, injnulltime, fuelrev, ignrev, fuelflow, ignflow;
    std::string rev1, rev2, rev3, rev4;
    std::string speed1, speed2, speed3, speed4;
    std::string vqsize, vqmap, ttpmin, ttpmax, aflimit, accelsize, accelpump;

    // Section "consult" (optional): where the ECU keeps the map's load value (TP) in its memory, for the
    // live trace over the diagnostic port. Empty text reads as "not given".
    std::string tpram;
};

// True for the exact text "&hffff" (lower case), which marks a table this ROM does not have.
bool isAbsent(const std::string& addressText);

// The whole-number value of an address text ("&h7000", "28672"), or nothing when the text holds no
// number ("unknown value", "x12") or a negative one.
std::optional<std::uint32_t> addressOf(const std::string& addressText);

// An address that must hold `length` bytes inside a ROM of `romSize` bytes: nothing when the text is
// not a usable address or the range would reach past the end.
std::optional<std::uint32_t> addressInRom(const std::string& addressText, std::uint32_t length,
                                          std::uint32_t romSize);

// The TP address of [consult] tpram: nothing when the key is missing or holds no address of
// 0..0xFFFF (the ECU's memory is addressed with 16 bits).
std::optional<std::uint16_t> tpAddressOf(const EngineDefinition& def);

struct DefinitionLoad
{
    bool ok = false;
    std::string reason; // why the file cannot be used, when !ok
    EngineDefinition definition;
};

// Reads the definition at `path`. A missing file reads as one in which every key is missing. The
// result is refused (ok false, reason set) when "romsize" is missing, not a number, not a multiple of
// 256 or outside 256..65536, or when any map or axis address is missing, not a number, or would reach
// past the ROM size. Other addresses are checked where they are used.
DefinitionLoad loadEngineDefinition(const std::string& path);

} // namespace vantrell
