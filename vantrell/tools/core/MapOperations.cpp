#include "vantrell/tools/core/MapOperations.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"
#include "vantrell/rom/MapAccess.h"
#include "vantrell/tools/core/ToolSupport.h"

#include <span>

#include <string>

namespace vantrell {

namespace {

constexpr const char* kFilter = "Map Data|*.map";
constexpr const char* kExtension = "*.map";

std::string noMapText(MapKey key)
{
    return std::string("the ") + mapName(key) + " or its axes do not lie inside the ROM";
}

// Moves every row of the map one column left; the new last cell is made from the old one by `extend`.
template <typename Extend> void shuntRows(EditStepBuilder& step, std::uint32_t map, Extend extend)
{
    for (int r = 0; r < 16; ++r) {
        const std::uint32_t row = map + 16u * static_cast<std::uint32_t>(r);
        std::uint8_t shifted[16];
        for (std::uint32_t c = 0; c < 15; ++c)
            shifted[c] = step.at(row + c + 1);
        shifted[15] = extend(step.at(row + 15));
        step.write(row, shifted);
    }
}

void shiftAxis(EditStepBuilder& step, std::uint32_t axis, int by)
{
    std::uint8_t shifted[16];
    for (std::uint32_t i = 0; i < 15; ++i)
        shifted[i] = step.at(axis + i + 1);
    shifted[15] = static_cast<std::uint8_t>((step.at(axis + 15) + by) % 256);
    step.write(axis, shifted);
}

} // namespace

bool saveMapFile(EditorState& state, Dialogs& dialogs, common::StatusSink& status, MapKey key)
{
    const auto set = state.mapSetOf(key);
    if (!set) {
        status.appendStatusLine("Map file not saved: " + noMapText(key));
        return false;
    }
    const std::string path =
        dialogs.fncGetFileNametoSave(kFilter, kExtension, "Save Map Data File", state.folders.maps);
    if (path.empty()) {
        status.appendStatusLine(map_messages::kSaveCanceled);
        return false;
    }
    std::string contents;
    contents.reserve(kMapFileSize);
    for (std::uint8_t b : state.rom.range(set->map, 256))
        contents.push_back(static_cast<char>(b));
    for (std::uint8_t b : state.rom.range(set->rpmAxis, 16))
        contents.push_back(static_cast<char>(b));
    for (std::uint8_t b : state.rom.range(set->loadAxis, 16))
        contents.push_back(static_cast<char>(b));
    std::string error;
    if (!common::writeFileReplacing(path, contents, error)) {
        status.appendStatusLine("Map file " + fileNameOf(path) + " not saved: " + error);
        return false;
    }
    return true;
}

bool loadMapFile(EditorState& state, Dialogs& dialogs, common::StatusSink& status, MapKey key)
{
    const auto set = state.mapSetOf(key);
    if (!set) {
        status.appendStatusLine("Map file not loaded: " + noMapText(key));
        return false;
    }
    const std::string path =
        dialogs.fncGetFileNametoOpen("Load Map Data File", kFilter, kExtension, state.folders.maps);
    if (path.empty()) {
        status.appendStatusLine(map_messages::kLoadCanceled);
        return false;
    }
    const std::string name = fileNameOf(path);
    std::string contents;
    if (!fileExists(path) || !common::readWholeFile(path, contents)) {
        status.appendStatusLine("Map file " + name + " not loaded: the file cannot be read");
        return false;
    }
    if (contents.size() < kMapFileSize) {
        status.appendStatusLine("Map file " + name + " not loaded: it holds" +
                                common::numberText(double(contents.size())) + " bytes, a map file holds 288");
        return false;
    }
    if (contents.size() > kMapFileSize)
        status.appendStatusLine("Map file " + name + " holds" + common::numberText(double(contents.size())) +
                                " bytes: only its first 288 were loaded");
    const auto* file = reinterpret_cast<const std::uint8_t*>(contents.data());
    // Cell edits reach the boards at once; a loaded map does too, so they stay equal to the buffer: the
    // map as two writes of 128 bytes, then the RPM axis and the load axis.
    EditStepBuilder step(state.rom.buffer());
    step.write(set->map, std::span(file, 128));
    step.write(set->map + 128, std::span(file + 128, 128));
    step.write(set->rpmAxis, std::span(file + 256, 16));
    step.write(set->loadAxis, std::span(file + 272, 16));
    const EditStep load = step.finish(std::string("map file load into ") + mapName(key), EditSource::MapFile);
    if (!state.rom.apply(load)) {
        status.appendStatusLine(refusedStepLine(load));
        return false;
    }
    return true;
}

bool shuntMap(EditorState& state, Dialogs& dialogs, common::StatusSink& status)
{
    bool changed = false;
    const MapKey key = state.currentMap;
    if (key == MapKey::FuelLow || key == MapKey::IgnLow) {
        dialogs.beep();
        status.appendStatusLine(map_messages::kShuntKnock1);
        status.appendStatusLine(map_messages::kShuntKnock2);
    } else {
        const bool fuel = key == MapKey::FuelHigh;
        const auto high = state.mapSetOf(fuel ? MapKey::FuelHigh : MapKey::IgnHigh);
        const auto low = state.mapSetOf(fuel ? MapKey::FuelLow : MapKey::IgnLow);
        if (!high || !low) {
            status.appendStatusLine("Shunt refused: " + noMapText(key));
        } else {
            // The boards are not told: the warnings below ask for an upload instead.
            EditStepBuilder step(state.rom.buffer());
            if (fuel) {
                const int change = state.def.fuelchange;
                auto rule = [change](std::uint8_t n) {
                    const int v = n + change;
                    return static_cast<std::uint8_t>(v > 255 ? 255 : v < 0 ? 0 : v);
                };
                shuntRows(step, high->map, rule);
                shuntRows(step, low->map, rule);
                shiftAxis(step, high->loadAxis, state.def.fuelstep);
            } else {
                const int change = state.def.ignchange;
                auto rule = [change](std::uint8_t n) {
                    const int v = n < change ? 0 : n - change;
                    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
                };
                shuntRows(step, high->map, rule);
                shuntRows(step, low->map, rule);
                shiftAxis(step, high->loadAxis, 25);
            }
            changed = state.rom.apply(step.finish(
                fuel ? "shunt of the fuel maps" : "shunt of the ignition maps", EditSource::Shunt, false));
        }
    }
    status.appendStatusLine(map_messages::kWarning1);
    status.appendStatusLine(map_messages::kWarning2);
    status.appendStatusLine(map_messages::kWarning3);
    status.appendStatusLine(map_messages::kWarning4);
    return changed;
}

} // namespace vantrell
