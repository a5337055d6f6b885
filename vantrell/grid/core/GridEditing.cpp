#include "vantrell/grid/core/GridEditing.h"

#include <algorithm>
#include <string>
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

CellLook editedCellLook(const EditorState& state, const MapSet& set, MapKind kind, DisplayMode mode, int r,
                        int c)
{
    const std::uint8_t b = state.rom.at(cellAddress(set, r, c));
    return CellLook{cellText(kind, mode, b, fuelContext(state, set, r, c)), editCellColour(kind, b)};
}

std::optional<EditStep> cellKeyStep(const EditorState& state, const CellBlock& selection, EditKey key,
                                    bool shift)
{
    const std::optional<MapSet> set = state.currentMapSet();
    if (!set)
        return std::nullopt;
    const MapKind kind = kindOf(state.currentMap);
    EditStepBuilder step(state.rom.buffer());
    int cells = 0;
    for (int row = selection.top; row <= selection.bottom; ++row) {
        for (int column = selection.left; column <= selection.right; ++column) {
            const int r = std::clamp(row - 1, 0, 15);
            const int c = std::clamp(column - 1, 0, 15);
            const std::uint32_t address = cellAddress(*set, r, c);
            step.write(address, editedCell(kind, step.at(address), key, shift));
            ++cells;
        }
    }
    return step.finish("edit of " + std::to_string(cells) + (cells == 1 ? " cell on " : " cells on ") +
                           mapName(state.currentMap),
                       EditSource::GridKeys);
}

std::optional<EditStep> loadAxisStep(const EditorState& state, int leftColumn, int step)
{
    const std::optional<MapSet> set = state.currentMapSet();
    if (!set || leftColumn < 1 || leftColumn > 16)
        return std::nullopt;
    const std::uint32_t address = set->loadAxis + static_cast<std::uint32_t>(leftColumn - 1);
    EditStepBuilder builder(state.rom.buffer());
    builder.write(address, steppedAxisByte(state.rom.at(address), step));
    return builder.finish(std::string("load axis step on ") + mapName(state.currentMap),
                          EditSource::LoadAxis);
}

} // namespace vantrell
