// The editor's state that every page works on: the engine definition, the ROM buffer, the current
// map and the program's folders. Owned by the main window for the program's lifetime.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/engine/EngineDefinition.h"
#include "vantrell/document/RomDocument.h"
#include "vantrell/rom/MapAccess.h"

#include <optional>
#include <string>

namespace vantrell {

struct ProgramFolders
{
    std::string program;      // folder of the executable
    std::string settingsFile; // program + "/config/emulator.ini"
    std::string data, config, maps, afm;

    static ProgramFolders under(const std::string& programFolder);
};

class EditorState
{
  public:
    EngineDefinition def;
    bool definitionUsable = false; // false until a definition has been accepted
    // The ROM buffer; changed only through its document's apply() and loads.
    RomDocument rom;
    MapKey currentMap = MapKey::FuelHigh;
    ProgramFolders folders;

    // Loads the definition at `path`. On success every value is replaced and the ROM buffer becomes
    // "romsize" bytes, all zero (a load of the document, not an edit step). A definition that cannot be used
    // is refused with one status line naming the file and the reason; the previous definition and ROM buffer
    // stay.
    bool loadDefinition(const std::string& path, common::StatusSink& status);

    // The current map's addresses, or nothing without a usable definition.
    std::optional<MapSet> currentMapSet() const;
    std::optional<MapSet> mapSetOf(MapKey key) const;
};

} // namespace vantrell
