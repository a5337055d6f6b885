#include "vantrell/live/LiveTrace.h"

namespace vantrell {

LiveTrace::LiveTrace(const EditorState& state, std::size_t trailLength) : state_(state), trail_(trailLength)
{}

void LiveTrace::setColumns(std::optional<std::size_t> rpm, std::optional<std::size_t> tp)
{
    rpmColumn_ = rpm;
    tpColumn_ = tp;
}

consult::Trace LiveTrace::traceOn(MapKey key, std::span<const double> values) const
{
    const std::optional<MapSet> set = state_.mapSetOf(key);
    if (!set)
        return {};
    const auto& bytes = state_.rom.buffer().bytes();
    if (static_cast<std::size_t>(set->rpmAxis) + 16 > bytes.size() ||
        static_cast<std::size_t>(set->loadAxis) + 16 > bytes.size())
        return {};
    const std::span<const std::uint8_t> rom(bytes);
    const std::vector<double> rpmAxis = consult::rpmAxisFromBytes(rom.subspan(set->rpmAxis, 16));
    const std::vector<double> loadAxis = consult::loadAxisFromBytes(rom.subspan(set->loadAxis, 16));
    return consult::traceFromValues(values, rpmColumn_, tpColumn_, rpmAxis, loadAxis);
}

const consult::Trace& LiveTrace::take(std::span<const double> values)
{
    values_.assign(values.begin(), values.end());
    if (trailMap_ != state_.currentMap) {
        trail_.clear();
        trailMap_ = state_.currentMap;
    }
    trace_ = traceOn(state_.currentMap, values_);
    if (trace_.valid && trace_.hasLoad)
        trail_.add(trace_.row, trace_.col);
    return trace_;
}

const consult::Trace& LiveTrace::retrace()
{
    if (trailMap_ != state_.currentMap) {
        trail_.clear();
        trailMap_ = state_.currentMap;
    }
    trace_ = values_.empty() ? consult::Trace{} : traceOn(state_.currentMap, values_);
    return trace_;
}

void LiveTrace::clear()
{
    values_.clear();
    trace_ = {};
    trail_.clear();
}

CellTrace LiveTrace::looks() const
{
    CellTrace out;
    auto inMap = [](int row, int col) {
        return row >= 0 && row < CellTrace::kSide && col >= 0 && col < CellTrace::kSide;
    };
    // The newest trail mark is the running cell itself: the older ones fade behind it.
    for (const consult::TraceTrail::Mark& m : trail_.marks())
        if (inMap(m.row, m.col))
            out.at(m.row, m.col).trail = static_cast<float>(m.fade);
    if (!trace_.valid)
        return out;
    if (!trace_.hasLoad) {
        for (int c = 0; c < CellTrace::kSide && trace_.row >= 0 && trace_.row < CellTrace::kSide; ++c)
            out.at(trace_.row, c).rowOnly = true;
        return out;
    }
    for (const consult::CellWeight& w : trace_.around)
        if (inMap(w.row, w.col))
            out.at(w.row, w.col).weight += static_cast<float>(w.weight);
    if (inMap(trace_.row, trace_.col))
        out.at(trace_.row, trace_.col).running = true;
    return out;
}

} // namespace vantrell
