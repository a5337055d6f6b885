// The line graph of the live data: the chosen channels over time, each drawn as a share (0..100 %) of
// its usual range so that channels of any unit share one graph. Live, it shows the last kWindowMs and
// keeps only what it shows (memory stays flat however long the engine runs); in playback it shows the
// stretch of the log around the position, with the position as a vertical line.
#pragma once

#include "consult/Channels.h"
#include "consult/LiveLog.h"

#include <QWidget>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

class QCheckBox;
class QGridLayout;
class QTimer;

namespace graph2d {
class LineGraph;
}

namespace vantrell {

// The range a channel's values are drawn over, by column name; 0..255 for one not known.
std::pair<double, double> graphRange(const std::string& columnName);

class LiveGraph : public QWidget
{
    Q_OBJECT
  public:
    static constexpr std::int64_t kWindowMs = 30000;
    // Redraws at most this often while frames stream in.
    static constexpr int kRedrawMs = 100;

    explicit LiveGraph(QWidget* parent = nullptr);

    // New columns: one check box each; RPM, TP and the injection time are chosen at first.
    void setColumns(const std::vector<consult::StreamLayout::Column>& columns);
    // A live frame's values.
    void addValues(const std::vector<double>& values, std::int64_t timeMs);
    // Playback: the log around the position.
    void showLog(const consult::LogFile& log, std::int64_t positionMs);
    // Forgets the live values.
    void clear();

    graph2d::LineGraph* graph() const { return graph_; }
    std::vector<bool> chosen() const;
    void setChosen(std::size_t column, bool chosen);
    // Points kept for the live window (all channels), for the memory check.
    std::size_t pointsKept() const;

  private:
    struct Sample
    {
        std::int64_t timeMs;
        std::vector<double> values;
    };
    void redrawLive();
    void rebuild(const std::vector<const Sample*>& samples, std::int64_t from, std::int64_t to,
                 std::optional<std::int64_t> cursor);

    graph2d::LineGraph* graph_;
    QGridLayout* boxes_;
    std::vector<QCheckBox*> checks_;
    std::vector<consult::StreamLayout::Column> columns_;
    std::deque<Sample> live_;
    QTimer* redraw_;
    const consult::LogFile* log_ = nullptr;
    std::int64_t logPosition_ = 0;
};

} // namespace vantrell
