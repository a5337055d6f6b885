// Where the engine runs on the shown map, as the live data traces it: the grid and the 3D view mark
// these cells. Cells in map coordinates, rows (RPM) and columns (load) 0..15. Plain data, no Qt.
#pragma once

#include <array>
#include <cstddef>

namespace vantrell {

// How one cell is marked.
struct TraceLook
{
    bool running = false; // the cell the engine runs in (axis breakpoints at or below RPM and TP)
    bool rowOnly = false; // in the running RPM row, where the load is not known
    float weight = 0;     // the engine's closeness to this cell among the four around it (0..1)
    float trail = 0;      // a cell the engine ran in lately: 1 for the newest, fading towards 0

    bool marked() const { return running || rowOnly || weight > 0 || trail > 0; }
    bool operator==(const TraceLook&) const = default;
};

struct CellTrace
{
    static constexpr int kSide = 16;
    std::array<TraceLook, kSide * kSide> cells{};

    TraceLook& at(int row, int column) { return cells[static_cast<std::size_t>(row * kSide + column)]; }
    const TraceLook& at(int row, int column) const
    {
        return cells[static_cast<std::size_t>(row * kSide + column)];
    }
    bool operator==(const CellTrace&) const = default;
};

} // namespace vantrell
