// Map-level operations of the editor: saving and loading one map with its two axes as a 288-byte map
// file, and the shunt that extends a map towards higher load. Each reports through the status sink.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <cstddef>

namespace vantrell {

// Map file layout: the 256 cells row-major, the 16 RPM axis bytes, the 16 load axis bytes.
inline constexpr std::size_t kMapFileSize = 288;

namespace map_messages {
inline constexpr const char* kSaveCanceled = "Save Canceled";
inline constexpr const char* kLoadCanceled = "Load Canceled";
inline constexpr const char* kShuntKnock1 = "Shunt map only available from high octane maps";
inline constexpr const char* kShuntKnock2 = "The knock map is shunted with the high octane map";
inline constexpr const char* kWarning1 = "****WARNING****    Emulator is NOT updated!!!";
inline constexpr const char* kWarning2 =
    "You must upload the ROM to the Emulator again before changes take effect";
inline constexpr const char* kWarning3 =
    "Do not continue editing without restarting the car after uploading the emulator";
inline constexpr const char* kWarning4 =
    "****WARNING**** The menu option 'emulator upload' will stall the car'";
} // namespace map_messages

// Asks for a file name in the maps folder and writes the map of `key` with its axes there (a temporary
// file renamed over the target, so the file holds exactly 288 bytes). Returns whether a file was written.
bool saveMapFile(EditorState& state, Dialogs& dialogs, common::StatusSink& status, MapKey key);

// Asks for a map file and copies it into the map of `key` and its axes. A file shorter than 288 bytes
// is refused with a status line and nothing changes; a longer one is read for its first 288 bytes with
// a status line. The load is one edit step: the map as two ranges of 128 bytes, then the RPM axis and
// the load axis, in that order to the boards. Returns true when the file was loaded, even where its
// bytes equal what the buffer held.
bool loadMapFile(EditorState& state, Dialogs& dialogs, common::StatusSink& status, MapKey key);

// Shunts the current map's kind one column left (both maps of the kind, then the load axis), from the
// main maps only; on a knock map beeps and refuses. Ends with the four warning lines in every case.
// The shunt is one edit step that the boards are not told of. Returns whether the ROM buffer changed.
bool shuntMap(EditorState& state, Dialogs& dialogs, common::StatusSink& status);

} // namespace vantrell
