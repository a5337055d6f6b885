// The map grid's rules without the grid widget: what each cell shows, the edit step of an edit key on
// a selection, the load axis step of [ and ], and the saved selection. The grid widget hands the steps
// to the document and shows what the document holds.
//
// Grid coordinates: row 0 and column 0 are the headers; grid cell (r + 1, c + 1) shows map cell (r, c).
#pragma once

#include "vantrell/grid/core/CellEdit.h"
#include "vantrell/grid/core/CellView.h"
#include "vantrell/editor/EditorState.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantrell {

struct CellLook
{
    std::string text;
    Rgb background;
};

// Map cell (r, c), 0..15, of the map `set` as a full fill shows it.
CellLook cellLook(const EditorState& state, const MapSet& set, MapKind kind, DisplayMode mode, int r, int c);

// What the fuel conversions need for map cell (r, c).
FuelContext fuelContext(const EditorState& state, const MapSet& set, int r, int c);

// A selection in grid coordinates, always top <= bottom and left <= right.
struct CellBlock
{
    int top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const CellBlock&) const = default;

    // From the current cell and the selection's far corner, in any order.
    static CellBlock ordered(int row, int column, int endRow, int endColumn);
};

// The look of map cell (r, c) just after an edit key changed it: its text in the mode, its colour by
// the edit ramp (kept until the next full fill).
CellLook editedCellLook(const EditorState& state, const MapSet& set, MapKind kind, DisplayMode mode, int r,
                        int c);

// An edit key on every cell of the selection (grid coordinates; header coordinates count as the first
// map row or column), row by row and left to right: one step of one byte a cell, in that order to the
// boards, labelled "edit of 12 cells on Main Fuel Map". Every selected cell is rewritten, also by a key
// that changes nothing. Nothing when the definition does not place the current map inside the ROM.
std::optional<EditStep> cellKeyStep(const EditorState& state, const CellBlock& selection, EditKey key,
                                    bool shift);

// The [ and ] keys: the load axis byte of grid column `leftColumn` (1..16) of the current map's kind
// steps by `step` modulo 256. Nothing for column 0 (no map column) or without a usable definition.
std::optional<EditStep> loadAxisStep(const EditorState& state, int leftColumn, int step);

} // namespace vantrell
