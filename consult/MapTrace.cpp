#include "MapTrace.h"

#include <algorithm>
#include <cmath>

namespace consult {

std::vector<double> rpmAxisFromBytes(std::span<const std::uint8_t> bytes)
{
    std::vector<double> axis;
    for (std::uint8_t b : bytes)
        axis.push_back(50.0 * b);
    return axis;
}

std::vector<double> loadAxisFromBytes(std::span<const std::uint8_t> bytes)
{
    return std::vector<double>(bytes.begin(), bytes.end());
}

std::optional<AxisPosition> axisPosition(double value, std::span<const double> axis)
{
    if (axis.empty() || !std::isfinite(value))
        return std::nullopt;
    const int n = static_cast<int>(axis.size());
    const bool falling = axis.front() > axis.back();
    // Step through the axis in the direction its values rise.
    auto at = [&](int k) { return falling ? n - 1 - k : k; };
    AxisPosition p;
    p.index = p.next = at(0);
    if (value <= axis[static_cast<std::size_t>(at(0))])
        return p;
    for (int k = 0; k < n; ++k) {
        const double low = axis[static_cast<std::size_t>(at(k))];
        if (value < low)
            break;
        p.index = p.next = at(k);
        p.fraction = 0;
        if (k + 1 < n) {
            const double high = axis[static_cast<std::size_t>(at(k + 1))];
            if (value < high && high > low) {
                p.next = at(k + 1);
                p.fraction = (value - low) / (high - low);
            }
        }
    }
    return p;
}

Trace traceCell(double rpm, std::optional<double> tp, std::span<const double> rpmAxis,
                std::span<const double> loadAxis)
{
    Trace trace;
    const auto r = axisPosition(rpm, rpmAxis);
    if (!r)
        return trace;
    trace.valid = true;
    trace.row = r->index;
    const auto c = tp ? axisPosition(*tp, loadAxis) : std::nullopt;
    if (!c) {
        trace.note = tp ? "the map has no load axis"
                        : "TP is not streamed: the engine definition names no "
                          "[consult] tpram address";
        trace.around[0] = {r->index, -1, 1 - r->fraction};
        trace.around[1] = {r->next, -1, r->fraction};
        return trace;
    }
    trace.hasLoad = true;
    trace.col = c->index;
    const double fr = r->fraction, fc = c->fraction;
    trace.around = {CellWeight{r->index, c->index, (1 - fr) * (1 - fc)},
                    CellWeight{r->index, c->next, (1 - fr) * fc},
                    CellWeight{r->next, c->index, fr * (1 - fc)}, CellWeight{r->next, c->next, fr * fc}};
    return trace;
}

Trace traceFromValues(std::span<const double> values, std::optional<std::size_t> rpmColumn,
                      std::optional<std::size_t> tpColumn, std::span<const double> rpmAxis,
                      std::span<const double> loadAxis)
{
    auto value = [&](std::optional<std::size_t> column) -> std::optional<double> {
        if (!column || *column >= values.size() || !std::isfinite(values[*column]))
            return std::nullopt;
        return values[*column];
    };
    const auto rpm = value(rpmColumn);
    if (!rpm)
        return {};
    return traceCell(*rpm, value(tpColumn), rpmAxis, loadAxis);
}

double interpolate(const Trace& trace, const std::function<double(int row, int col)>& cell)
{
    double sum = 0;
    for (const CellWeight& w : trace.around) {
        if (w.weight != 0)
            sum += w.weight * cell(w.row, w.col);
    }
    return sum;
}

TraceTrail::TraceTrail(std::size_t length) : length_(std::max<std::size_t>(1, length)) {}

void TraceTrail::add(int row, int col)
{
    if (!cells_.empty() && cells_.front() == std::pair{row, col})
        return;
    cells_.emplace_front(row, col);
    if (cells_.size() > length_)
        cells_.pop_back();
}

std::vector<TraceTrail::Mark> TraceTrail::marks() const
{
    std::vector<Mark> out;
    for (std::size_t age = 0; age < cells_.size(); ++age)
        out.push_back({cells_[age].first, cells_[age].second,
                       1.0 - static_cast<double>(age) / static_cast<double>(length_)});
    return out;
}

} // namespace consult
