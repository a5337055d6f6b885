// Where on a map the engine runs: from live RPM and TP and the map's two axes, the cell at the
// breakpoints at or below the values, the four cells around the running point weighted by how close
// it is to each (bilinear), and a trail of the last cells with fading age. Plain C++.
//
// Rows follow the RPM axis and columns the load (TP) axis, as the map grid shows them. Axes may rise
// or fall along the map; a value outside an axis sits on its end breakpoint.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace consult {

// The map axes as the ROM stores them: RPM breakpoints are one byte x 50 rpm; load breakpoints are TP
// counts as they are.
std::vector<double> rpmAxisFromBytes(std::span<const std::uint8_t> bytes);
std::vector<double> loadAxisFromBytes(std::span<const std::uint8_t> bytes);

// A value's place on an axis: the breakpoint at or below it, the neighbouring breakpoint above it
// (the same one at an end of the axis) and how far along the way to it the value lies (0..1).
struct AxisPosition
{
    int index = 0;
    int next = 0;
    double fraction = 0;
};
// Nothing for an empty axis.
std::optional<AxisPosition> axisPosition(double value, std::span<const double> axis);

struct CellWeight
{
    int row = 0;
    int col = 0;
    double weight = 0;
    bool operator==(const CellWeight&) const = default;
};

struct Trace
{
    bool valid = false;   // false when there is no RPM or the RPM axis is empty
    bool hasLoad = false; // false: only the RPM row is known (col is -1, `note` says why)
    int row = -1;
    int col = -1;
    // The running cell first; weights sum to 1 (cells at an axis end repeat with weight 0). Only the
    // first two (same column pattern along the row) are filled when there is no load.
    std::array<CellWeight, 4> around{};
    std::string note;

    bool operator==(const Trace&) const = default;
};

// The trace for `rpm` and `tp` (nothing: TP is not known, the trace marks the row only).
Trace traceCell(double rpm, std::optional<double> tp, std::span<const double> rpmAxis,
                std::span<const double> loadAxis);

// The trace of one frame or log row: RPM and TP taken from their columns of `values` (a missing
// column or a value that is not a number counts as unknown).
Trace traceFromValues(std::span<const double> values, std::optional<std::size_t> rpmColumn,
                      std::optional<std::size_t> tpColumn, std::span<const double> rpmAxis,
                      std::span<const double> loadAxis);

// The map's value where the engine runs: the cells around it weighted by the trace. `cell(row, col)`
// gives a cell's value. Needs a trace with load.
double interpolate(const Trace& trace, const std::function<double(int row, int col)>& cell);

// The last cells the engine ran in, newest first. A cell that is already the newest is not added
// again. Each mark fades with its age: 1 for the newest, falling by 1/length a step.
class TraceTrail
{
  public:
    explicit TraceTrail(std::size_t length = 16);

    void add(int row, int col);
    void clear() { cells_.clear(); }

    struct Mark
    {
        int row = 0;
        int col = 0;
        double fade = 1;
    };
    std::vector<Mark> marks() const;
    std::size_t length() const { return length_; }

  private:
    std::size_t length_;
    std::deque<std::pair<int, int>> cells_;
};

} // namespace consult
