// The ordered list of point series that a line graph draws, addressed by index from 0. Owns its
// series; references returned by add() and at() stay valid until the series is removed or the list
// is destroyed. Every change of the list or of any of its series is passed to the list's own
// change callback (the graph marks its picture stale there).
#pragma once

#include "PointSeries.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace graph2d {

class SeriesList
{
  public:
    explicit SeriesList(std::function<void()> onChange = {});
    SeriesList(const SeriesList&) = delete;
    SeriesList& operator=(const SeriesList&) = delete;

    // Appends a new series with the default attributes (red, joined lines, visible) and notifies.
    PointSeries& add();
    // Throws std::out_of_range for an index at or past count().
    PointSeries& at(std::size_t index);
    const PointSeries& at(std::size_t index) const;
    // Removes the series at the index (throws std::out_of_range when there is none) and notifies.
    void remove(std::size_t index);
    // Removes every series (notifies).
    void clear();

    std::size_t count() const { return series_.size(); }

  private:
    void notify();

    std::vector<std::unique_ptr<PointSeries>> series_;
    std::function<void()> onChange_;
};

} // namespace graph2d
