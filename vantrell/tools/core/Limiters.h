// The "Misc" page's values: the four read-only table grids and the rev and speed limits with their
// key-release edits, written to every place of the ROM that holds them.
#pragma once

#include "common/StatusSink.h"
#include "vantrell/editor/Dialogs.h"
#include "vantrell/editor/EditorState.h"

#include <string>
#include <vector>

namespace vantrell {

// What one one-row grid of the page shows.
struct LimiterGrid
{
    std::string name;               // objectName: boostlimit, injbase, injcap, accl, rev_limiter_entry, ...
    std::string caption;            // the fixed first cell
    bool shown = false;             // false when its address text is "&hffff"
    std::vector<std::string> cells; // value cells; "-" each when the table does not lie inside the ROM
    int x = 0, y = 0, width = 0;    // twips inside the page frame
    int captionWidth = 1000, cellWidth = 367; // twips
};

inline constexpr int kGridRowHeight = 360; // twips
inline constexpr int kRevLimitMax = 12000;
inline constexpr int kSpeedLimitMax = 400;

// The entries of the accelerator pump table ("accelsize", 0..256).
int accelCount(const EngineDefinition& def);

// The six grids in page order: boostlimit, injbase, injcap, accl, rev_limiter_entry, speed_limiter_entry.
std::vector<LimiterGrid> limiterGrids(const EditorState& state);

enum class LimiterKey { Plus, Minus, Other };

// One key release in a limit cell: the cell's text read as a 16-bit integer, stepped (rev 50 or 1000
// with Shift; speed 10 or 100 with Shift), clamped (0..12000 rpm, 0..400 km/h, and to the largest value
// the stored width holds, with a status line), written to every present place in order as one edit
// step. A present place outside the ROM, or a scale that is not positive, refuses the
// edit with a status line: nothing is written and the cell keeps `cellText`. Returns the new cell text.
std::string editRevLimit(EditorState& state, const std::string& cellText, LimiterKey key, bool shift,
                         common::StatusSink& status);
std::string editSpeedLimit(EditorState& state, const std::string& cellText, LimiterKey key, bool shift,
                           common::StatusSink& status);

} // namespace vantrell
