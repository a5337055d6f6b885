#include "vantrell/editor/EditorState.h"

namespace vantrell {

ProgramFolders ProgramFolders::under(const std::string& programFolder)
{
    ProgramFolders f;
    f.program = programFolder;
    f.settingsFile = programFolder + "/config/emulator.ini";
    f.data = programFolder + "/data";
    f.config = programFolder + "/config";
    f.maps = programFolder + "/maps";
    f.afm = programFolder + "/afm";
    return f;
}

bool EditorState::loadDefinition(const std::string& path, common::StatusSink& status)
{
    DefinitionLoad load = loadEngineDefinition(path);
    if (!load.ok) {
        status.appendStatusLine("Engine config " + fileNameOf(path) + " not loaded: " + load.reason);
        return false;
    }
    def = load.definition;
    definitionUsable = true;
    rom.reset(static_cast<std::size_t>(def.romsize));
    return true;
}

std::optional<MapSet> EditorState::currentMapSet() const
{
    return mapSetOf(currentMap);
}

std::optional<MapSet> EditorState::mapSetOf(MapKey key) const
{
    if (!definitionUsable)
        return std::nullopt;
    return mapSet(def, rom.size(), key);
}

} // namespace vantrell
