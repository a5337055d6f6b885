// The map grid's rules without the grid widget: what each cell shows, what an edit key does to one
// cell, the load axis step of [ and ], and the saved selection. The grid widget only shows the
// results and hands changed bytes to the write-through.
//
// Grid coordinates: row 0 and column 0 are the headers; grid cell (r + 1, c + 1) shows map cell (r, c).
#pragma once

#include "vantrell/grid/CellEdit.h"
#include "vantrell/grid/CellView.h"
#include "vantrell/shell/EditorState.h"

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

struct CellChange
{
    int gridRow = 0, gridColumn = 0; // where the cell is shown
    std::uint32_t address = 0;       // its ROM address
    std::uint8_t byte = 0;           // the byte now stored there
    CellLook look;                   // text in the current mode, colour by the edit ramp
};

// Applies an edit key to the cell shown at grid (gridRow, gridColumn) of the current map: header
// coordinates count as the first map row or column. The new byte is stored in the ROM buffer.
// Nothing when the definition does not place the current map inside the ROM.
std::optional<CellChange> editCell(EditorState& state, DisplayMode mode, int gridRow, int gridColumn,
                                   EditKey key, bool shift);

struct AxisStep
{
    std::uint32_t address = 0; // ROM address of the changed load axis byte
    std::uint8_t byte = 0;     // its new value
};

// The [ and ] keys: the load axis byte of grid column `leftColumn` (1..16) of the current map's kind
// steps by `step` modulo 256 in the ROM buffer. Nothing for column 0 (no map column) or without a
// usable definition.
std::optional<AxisStep> stepLoadAxis(EditorState& state, int leftColumn, int step);

} // namespace vantrell
