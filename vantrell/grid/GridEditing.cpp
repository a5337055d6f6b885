#include "vantrell/grid/GridEditing.h"

#include <algorithm>
#include <utility>

namespace vantrell {

FuelContext fuelContext(const EditorState& state, const MapSet& set, int r, int c)
{
    FuelContext context;
    context.loadByte = state.rom.at(set.loadAxis + static_cast<std::uint32_t>(c));
    context.rpmByte = state.rom.at(set.rpmAxis + static_cast<std::uint32_t>(r));
    context.injectorsize = state.def.injectorsize;
    context.cyl = state.def.cyl;
    return context;
}

CellLook cellLook(const EditorState& state, const MapSet& set, MapKind kind, DisplayMode mode, int r, int c)
{
    const std::uint8_t b = state.rom.at(cellAddress(set, r, c));
    return CellLook{cellText(kind, mode, b, fuelContext(state, set, r, c)), gridCellColour(kind, b)};
}

CellBlock CellBlock::ordered(int row, int column, int endRow, int endColumn)
{
    CellBlock s{row, column, endRow, endColumn};
    if (s.bottom < s.top)
        std::swap(s.top, s.bottom);
    if (s.right < s.left)
        std::swap(s.left, s.right);
    return s;
}

std::optional<CellChange> editCell(EditorState& state, DisplayMode mode, int gridRow, int gridColumn,
                                   EditKey key, bool shift)
{
    const std::optional<MapSet> set = state.currentMapSet();
    if (!set)
        return std::nullopt;
    const int r = std::clamp(gridRow - 1, 0, 15);
    const int c = std::clamp(gridColumn - 1, 0, 15);
    const MapKind kind = kindOf(state.currentMap);
    const std::uint32_t address = cellAddress(*set, r, c);
    const std::uint8_t v = editedCell(kind, state.rom.at(address), key, shift);
    state.rom.set(address, v);
    CellChange change;
    change.gridRow = r + 1;
    change.gridColumn = c + 1;
    change.address = address;
    change.byte = v;
    change.look.text = cellText(kind, mode, v, fuelContext(state, *set, r, c));
    change.look.background = editCellColour(kind, v);
    return change;
}

std::optional<AxisStep> stepLoadAxis(EditorState& state, int leftColumn, int step)
{
    const std::optional<MapSet> set = state.currentMapSet();
    if (!set || leftColumn < 1 || leftColumn > 16)
        return std::nullopt;
    const std::uint32_t address = set->loadAxis + static_cast<std::uint32_t>(leftColumn - 1);
    const std::uint8_t byte = steppedAxisByte(state.rom.at(address), step);
    state.rom.set(address, byte);
    return AxisStep{address, byte};
}

} // namespace vantrell
