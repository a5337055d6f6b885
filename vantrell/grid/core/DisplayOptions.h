// Which display option of the fuel maps is selected, and how the choice survives page switches: the
// options "data" .. "est. hp" are shown on the two fuel pages only, the last of them chosen is
// remembered when a page is left and brought back on the next fuel page; "raw data" stays selected
// on every page until a fuel page brings a remembered mode back.
#pragma once

#include "vantrell/grid/core/CellView.h"

namespace vantrell {

struct DisplayOptions
{
    int selected = 1;   // 1..6 (Option1..Option6), 0 when none is selected
    int remembered = 0; // 0 (nothing remembered) or 1..5
    bool shown = true;  // Option1..Option5 visible (start-up and the fuel pages)

    // The mode the grid shows: the selected option, "data" when none is.
    DisplayMode mode() const;

    // Start-up and every engine definition load: "data" selected, the others cleared.
    void selectData() { selected = 1; }

    // Leaving any page: the options 1..5 are hidden. If they were shown (a fuel page), the selected one
    // among them is remembered and a conversion (2..5) falls back to "data" while they are hidden; the
    // "data" shown on an ignition page is not a choice of the user and is not remembered. "raw data"
    // (or none) keeps everything as it is.
    void leavePage();

    // Arriving on a fuel page: the remembered mode (1..5), if any, is selected again.
    void enterFuelPage();
};

} // namespace vantrell
