// The live trace on the editor's maps: from a frame's (or a log row's) RPM and TP and the axes of a map
// as the ROM buffer holds them now, the cell the engine runs in, the four around it and the trail of
// the last cells, as the grid and the 3D view mark them. No widgets.
//
// The trail belongs to one map: it starts again when the shown map changes.
#pragma once

#include "vantrell/editor/EditorState.h"
#include "vantrell/grid/core/CellTrace.h"

#include "consult/MapTrace.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace vantrell {

class LiveTrace
{
  public:
    // Reads the state (definition, ROM buffer, current map) at every call; does not own it.
    explicit LiveTrace(const EditorState& state, std::size_t trailLength = 12);

    // Where RPM and TP stand in the values (nothing: the values lack it).
    void setColumns(std::optional<std::size_t> rpm, std::optional<std::size_t> tp);

    // The trace of `values` on map `key`, its axes read from the ROM buffer now. Not valid without a
    // usable definition.
    consult::Trace traceOn(MapKey key, std::span<const double> values) const;

    // One frame on the current map: its trace becomes the running one and its cell joins the trail.
    const consult::Trace& take(std::span<const double> values);
    // The trace again on the current map with the last values (after a map switch or an axis edit).
    const consult::Trace& retrace();
    // Forgets the values and the trail: nothing is marked.
    void clear();

    const consult::Trace& current() const { return trace_; }
    // The marks of the running trace and the trail, as the views show them.
    CellTrace looks() const;

  private:
    const EditorState& state_;
    std::optional<std::size_t> rpmColumn_, tpColumn_;
    std::vector<double> values_;
    consult::Trace trace_;
    consult::TraceTrail trail_;
    std::optional<MapKey> trailMap_;
};

} // namespace vantrell
