#include "EngineDefinitionDraft.h"

#include <cstdio>

namespace skerrow {

namespace {

// The editor keeps at most 254 characters of a value; a long file name is cut well before that.
constexpr std::size_t kLongestName = 200;

std::string addressText(std::int64_t address)
{
    char text[24];
    std::snprintf(text, sizeof text, "&h%llx", static_cast<unsigned long long>(address));
    return text;
}

// The file name as one INI value: control characters (a line break would end the value and start
// a line of its own) become "_", and a name too long for the editor is cut between characters.
std::string iniValue(const std::string& name)
{
    std::string value;
    for (const char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        value += byte < 0x20 || byte == 0x7F ? '_' : ch;
    }
    if (value.size() > kLongestName) {
        std::size_t cut = kLongestName;
        // Not inside a UTF-8 sequence: continuation bytes are 10xxxxxx.
        while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
            --cut;
        value.resize(cut);
    }
    return value.empty() ? std::string("unnamed image") : value;
}

struct KindAxes
{
    AxisRun rows;
    AxisRun columns;
};

// The axes of the first of two maps that has both.
bool axesOf(const MapCandidate& first, const MapCandidate& second, KindAxes& out)
{
    for (const MapCandidate* c : {&first, &second}) {
        if (c->rowAxis.found() && c->columnAxis.found()) {
            out = {c->rowAxis, c->columnAxis};
            return true;
        }
    }
    return false;
}

} // namespace

const char* slotKey(MapSlot slot)
{
    switch (slot) {
    case MapSlot::FuelHigh:
        return "fuelhighmap";
    case MapSlot::FuelLow:
        return "fuellowmap";
    case MapSlot::IgnHigh:
        return "ignhighmap";
    case MapSlot::IgnLow:
        return "ignlowmap";
    }
    return "";
}

MapChoice chooseMaps(const std::vector<MapCandidate>& candidates)
{
    MapChoice choice;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const MapCandidate& c = candidates[i];
        if (c.size != 16)
            continue;
        const auto index = static_cast<int>(i);
        if (c.kind == MapKind::Fuel) {
            if (choice[MapSlot::FuelHigh] < 0)
                choice[MapSlot::FuelHigh] = index;
            else if (choice[MapSlot::FuelLow] < 0)
                choice[MapSlot::FuelLow] = index;
        } else if (c.kind == MapKind::Timing) {
            if (choice[MapSlot::IgnHigh] < 0)
                choice[MapSlot::IgnHigh] = index;
            else if (choice[MapSlot::IgnLow] < 0)
                choice[MapSlot::IgnLow] = index;
        }
    }
    return choice;
}

std::vector<std::string> missingSlots(const MapChoice& choice)
{
    std::vector<std::string> keys;
    for (MapSlot slot : kMapSlots)
        if (choice[slot] < 0)
            keys.emplace_back(slotKey(slot));
    return keys;
}

DefinitionText composeDefinition(const std::vector<MapCandidate>& candidates, const MapChoice& choice,
                                 std::int64_t imageSize, const std::string& imageName)
{
    DefinitionText result;
    if (imageSize < 256 || imageSize > 65536 || imageSize % 256 != 0) {
        result.problem = "The editor takes ROM images of 256 to 65536 bytes in whole 256-byte pages; this "
                         "image has " +
                         std::to_string(imageSize) + " bytes.";
        return result;
    }
    std::array<const MapCandidate*, 4> maps{};
    for (MapSlot slot : kMapSlots) {
        const int index = choice[slot];
        if (index < 0 || index >= static_cast<int>(candidates.size())) {
            result.problem = std::string("Choose a map for ") + slotKey(slot) + " first.";
            return result;
        }
        const MapCandidate& c = candidates[static_cast<std::size_t>(index)];
        if (c.size != 16 || c.address < 0 || c.address + 256 > imageSize) {
            result.problem = std::string(slotKey(slot)) + " must be a 16x16 table inside the image.";
            return result;
        }
        maps[static_cast<std::size_t>(slot)] = &c;
    }
    KindAxes fuel;
    KindAxes ignition;
    if (!axesOf(*maps[0], *maps[1], fuel)) {
        result.problem = "No axes fit the fuel maps, so fuelrev and fuelflow are unknown.";
        return result;
    }
    if (!axesOf(*maps[2], *maps[3], ignition)) {
        result.problem = "No axes fit the ignition maps, so ignrev and ignflow are unknown.";
        return result;
    }

    const std::string name = iniValue(imageName);
    const std::string absent = "&hffff";
    std::string t;
    const auto line = [&t](const std::string& text) { t += text + "\r\n"; };
    line("; Engine definition written by Skerrow from the maps it found in " + name + ".");
    line("; The image does not tell the engine's facts: set injectorsize, cyl and the numbers below them");
    line("; before using the injector, airflow meter and limiter tools. \"&hffff\" marks a table not found.");
    line("; The axes are 16 rising values; axes of 16-bit values are noted beside them.");
    line("[initialisation]");
    for (const char* key : {"injectorsize", "cyl", "cc"})
        line(std::string(key) + "=0");
    line("config=" + name);
    for (const char* key : {"airflowmeter", "fuelstep", "fuelchange", "ignstep", "ignchange", "revtimes",
                            "revsize", "speedtimes"})
        line(std::string(key) + "=0");
    line("romsize=" + std::to_string(imageSize));
    line("");
    line("[address locations]");
    for (MapSlot slot : kMapSlots)
        line(std::string(slotKey(slot)) + "=" + addressText(maps[static_cast<std::size_t>(slot)]->address));
    const auto axisLine = [&](const char* key, const AxisRun& axis) {
        if (axis.width == 2)
            line("; " + std::string(key) + " holds 16-bit values, high byte first");
        line(std::string(key) + "=" + addressText(axis.address));
    };
    axisLine("fuelrev", fuel.rows);
    axisLine("fuelflow", fuel.columns);
    axisLine("ignrev", ignition.rows);
    axisLine("ignflow", ignition.columns);
    for (const char* key : {"kval", "injnulltime", "rev1", "rev2", "rev3", "rev4", "speed1", "speed2",
                            "speed3", "speed4", "ttpmin", "ttpmax", "aflimit", "accelpump"})
        line(std::string(key) + "=" + absent);
    line("accelsize=0");
    line("vqmap=" + absent);
    line("vqsize=0");
    result.text = t;
    return result;
}

} // namespace skerrow
