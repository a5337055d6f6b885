// The engine definition loader on any file, then every map and axis access the definition allows.
// An accepted definition has a usable ROM size and places each map and axis inside the ROM; a
// refused one leaves the editor's definition and ROM buffer as they were.
#include "fuzz/targets/DemoDefinition.h"
#include "fuzz/targets/FuzzFiles.h"

#include "common/StatusSink.h"
#include "vantrell/engine/EngineDefinition.h"
#include "vantrell/rom/MapAccess.h"
#include "vantrell/editor/EditorState.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr vantrell::MapKey kKeys[] = {vantrell::MapKey::FuelHigh, vantrell::MapKey::FuelLow,
                                      vantrell::MapKey::IgnHigh, vantrell::MapKey::IgnLow};

void touchEveryMap(const vantrell::EngineDefinition& def, const vantrell::RomBuffer& rom)
{
    for (auto key : kKeys) {
        const auto set = vantrell::mapSet(def, rom.size(), key);
        FUZZ_CHECK(set.has_value());
        FUZZ_CHECK(rom.contains(set->map, 256));
        FUZZ_CHECK(rom.contains(set->rpmAxis, 16));
        FUZZ_CHECK(rom.contains(set->loadAxis, 16));
        int sum = 0;
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c)
                sum += vantrell::decodeCell(vantrell::kindOf(key), rom.at(vantrell::cellAddress(*set, r, c)))
                           .value;
        for (auto b : rom.range(set->rpmAxis, 16))
            sum += b;
        for (auto b : rom.range(set->loadAxis, 16))
            sum += b;
        (void)sum;
    }
    // The limiters and the other tables are checked where they are used: each use asks first.
    for (const std::string* text :
         {&def.rev1, &def.rev2, &def.rev3, &def.rev4, &def.speed1, &def.speed2, &def.speed3, &def.speed4}) {
        const std::uint32_t width = def.revsize == 1 ? 1 : 2;
        if (const auto address = vantrell::addressInRom(*text, width, static_cast<std::uint32_t>(rom.size())))
            (void)vantrell::readScaledValue(def, rom, *address);
    }
    for (const std::string* text :
         {&def.kval, &def.injnulltime, &def.fuelrev, &def.ignrev, &def.fuelflow, &def.ignflow, &def.vqmap,
          &def.ttpmin, &def.ttpmax, &def.aflimit, &def.accelpump}) {
        if (const auto address = vantrell::addressInRom(*text, 16, static_cast<std::uint32_t>(rom.size())))
            FUZZ_CHECK(rom.range(*address, 16).size() == 16);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratch("engine.ini", contents);

    const auto load = vantrell::loadEngineDefinition(path);
    if (load.ok) {
        const auto romSize = load.definition.romsize;
        FUZZ_CHECK(romSize >= 256 && romSize <= 65536 && romSize % 256 == 0);
        vantrell::RomBuffer rom(std::vector<std::uint8_t>(static_cast<std::size_t>(romSize), 0xA5));
        touchEveryMap(load.definition, rom);
    } else {
        FUZZ_CHECK(!load.reason.empty());
    }

    // The same file through the editor: refused, nothing of the editor's state changes.
    common::StatusLines status;
    vantrell::EditorState state;
    fuzz::loadDemo(state, status);
    const auto before = state.rom.bytes();
    const std::string configBefore = state.def.config;
    status.lines.clear();
    const bool accepted = state.loadDefinition(path, status);
    FUZZ_CHECK(accepted == load.ok);
    if (!accepted) {
        FUZZ_CHECK(status.lines.size() == 1);
        FUZZ_CHECK(state.rom.bytes() == before);
        FUZZ_CHECK(state.def.config == configBefore);
        FUZZ_CHECK(state.definitionUsable);
    } else {
        FUZZ_CHECK(state.rom.size() == static_cast<std::size_t>(state.def.romsize));
        for (auto key : kKeys)
            FUZZ_CHECK(state.mapSetOf(key).has_value());
    }
    return 0;
}
