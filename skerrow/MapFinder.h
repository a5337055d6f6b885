// Finds the places in a ROM image that look like fuel or timing maps: square tables whose rows and
// columns each follow a smooth course, told apart from code, from other data and from windows that
// straddle two maps; and the axes (rising runs of 16 values) that fit each of them.
#pragma once

#include "AxisFinder.h"

#include <cstdint>
#include <span>
#include <vector>

namespace skerrow {

// What a table's cells look like once read the way the engine unit reads them.
enum class MapKind {
    Fuel,   // a block of cells with bit 7 set that reads smoothly as b - 192 (closed-loop cells)
    Timing, // values of a timing map (up to 63 in the low seven bits), maybe with a flagged block
    Other,  // smooth, but neither of the two
};

// One place worth a look: a table of size x size bytes starting at address, how map-like it is
// (0 = not at all, about 100 = rows and columns perfectly smooth; a few points more for a table on
// a 16- or 256-byte boundary), what kind of map it looks like and the axes that fit it best.
struct MapCandidate
{
    std::int64_t address = 0;
    int size = 16;
    double score = 0;
    MapKind kind = MapKind::Other;
    int flaggedCells = 0; // cells with bit 7 set
    AxisRun rowAxis;      // the axis that fits its rows best (the RPM axis), if any
    AxisRun columnAxis;   // the axis that fits its columns best (the load axis), if any

    bool operator==(const MapCandidate&) const = default;
};

// How a single table is judged; score 0 when it does not fit in the image or is no map.
struct WindowJudgement
{
    double score = 0;
    MapKind kind = MapKind::Other;
    int flaggedCells = 0;
};

// Judges the size x size table at `address` (size 8 or 16). Each row and each column is fitted by a
// quadratic; the table is smooth when what the fits leave over is small against how much its lines
// vary. A window that holds the end of one map and the start of the next has smooth rows but
// columns with a step in them, which no quadratic follows, so it scores low however smooth its
// parts are; code and noise leave almost everything over. The cells are read three ways, and the
// best counts: as raw bytes, with bit 7 as the closed-loop flag of a fuel map (b >= 128 stands for
// b - 192), and with bit 7 as the knock flag of a timing map (the low seven bits). Tables of fewer
// different values than a row has cells, or whose neighbours are mostly equal, are no maps. 8x8
// tables count for less, as chance smoothness is likelier in fewer cells.
WindowJudgement judgeWindow(std::span<const std::uint8_t> image, std::int64_t address, int size);

// The score of judgeWindow.
double scoreWindow(std::span<const std::uint8_t> image, std::int64_t address, int size);

// Looks at every 16x16 and every 8x8 table of the image, at every byte offset, and returns at most
// `count` of the best, best first, with no two overlapping (a table that overlaps a better one is
// passed over). Only tables with a score above 0 are listed; ties go to the lower address, then to
// 16x16. A quick measure of smoothness over sliding sums picks the few thousand tables worth
// judging in full, so time grows linearly with the image size and memory stays bounded.
// Units keep their axes right before their maps, so a table that starts on the axes and runs into
// the map can look nearly as smooth as the map: a table with rows the axis finder takes for axes is
// not listed (a 16x16 map whose own rows rise like axes is kept, see MapFinder.cpp). Tables of one
// size that lie whole rows apart and overlap by more than half are one map seen a few rows aside:
// of those that score at least three quarters of the best of them, the one the evidence favours is
// listed, with its own score (on a boundary of the table's size before one of its rows before
// neither, then without axis rows, then without a break in its lines, then the higher score). Each
// 16x16 candidate gets the axes that fit it best (findAxes, bestAxesFor) among the rising runs of
// the image that lie neither in it nor in another listed 16x16 table scoring 50 or more (such runs
// are rows of a map).
std::vector<MapCandidate> findMaps(std::span<const std::uint8_t> image, int count = 20);

} // namespace skerrow
