#include "vantrell/live/LiveGraph.h"

#include "graph2d/LineGraph.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vantrell {

namespace {

constexpr graph2d::ColorValue kColours[] = {
    graph2d::colorFromRgb(220, 30, 30),  graph2d::colorFromRgb(30, 90, 220),
    graph2d::colorFromRgb(20, 150, 40),  graph2d::colorFromRgb(200, 120, 0),
    graph2d::colorFromRgb(140, 40, 180), graph2d::colorFromRgb(0, 150, 160),
    graph2d::colorFromRgb(120, 120, 0),  graph2d::colorFromRgb(200, 60, 140),
    graph2d::colorFromRgb(90, 90, 90),   graph2d::colorFromRgb(0, 0, 0)};

} // namespace

std::pair<double, double> graphRange(const std::string& columnName)
{
    static const std::pair<const char*, std::pair<double, double>> ranges[] = {
        {"RPM", {0, 8000}},          {"Airflow meter", {0, 5000}}, {"Coolant", {-50, 150}},
        {"O2 sensor", {0, 1000}},    {"Speed", {0, 250}},          {"Battery", {0, 16000}},
        {"Throttle", {0, 5000}},     {"Injection time", {0, 20}},  {"Ignition timing", {-10, 60}},
        {consult::kTpName, {0, 255}}};
    for (const auto& [name, range] : ranges)
        if (columnName == name)
            return range;
    return {0, 255};
}

LiveGraph::LiveGraph(QWidget* parent)
    : QWidget(parent), graph_(new graph2d::LineGraph(this)), boxes_(new QGridLayout),
      redraw_(new QTimer(this))
{
    graph_->setObjectName(QStringLiteral("live_graph"));
    graph_->applyScannerDefaults();
    graph_->setNumbVert(false);
    graph_->setNumbHoriz(false);
    graph_->setMinimumHeight(120);
    graph_->setVisibleArea(-kWindowMs / 1000.0, 0, 0, 100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(graph_, 1);
    boxes_->setHorizontalSpacing(8);
    layout->addLayout(boxes_);
    redraw_->setSingleShot(true);
    redraw_->setInterval(kRedrawMs);
    connect(redraw_, &QTimer::timeout, this, &LiveGraph::redrawLive);
}

void LiveGraph::setColumns(const std::vector<consult::StreamLayout::Column>& columns)
{
    if (columns.size() == columns_.size() &&
        std::equal(columns.begin(), columns.end(), columns_.begin(),
                   [](const auto& a, const auto& b) { return a.name == b.name && a.unit == b.unit; }))
        return;
    columns_ = columns;
    for (QCheckBox* box : checks_)
        delete box;
    checks_.clear();
    live_.clear();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const std::string& name = columns_[i].name;
        auto* box = new QCheckBox(QString::fromStdString(name), this);
        box->setObjectName(QStringLiteral("graph_") + QString::fromStdString(name));
        const graph2d::ColorValue c = kColours[i % std::size(kColours)];
        box->setStyleSheet(QStringLiteral("color: rgb(%1,%2,%3)")
                               .arg(graph2d::redOf(c))
                               .arg(graph2d::greenOf(c))
                               .arg(graph2d::blueOf(c)));
        box->setChecked(name == "RPM" || name == consult::kTpName || name == "Injection time");
        connect(box, &QCheckBox::toggled, this, [this] {
            if (log_)
                showLog(*log_, logPosition_);
            else
                redrawLive();
        });
        // Five a row, so the dock stays narrow.
        boxes_->addWidget(box, static_cast<int>(i / 5), static_cast<int>(i % 5));
        checks_.push_back(box);
    }
    graph_->seriesList().clear();
}

std::vector<bool> LiveGraph::chosen() const
{
    std::vector<bool> out;
    for (QCheckBox* box : checks_)
        out.push_back(box->isChecked());
    return out;
}

void LiveGraph::setChosen(std::size_t column, bool chosen)
{
    if (column < checks_.size())
        checks_[column]->setChecked(chosen);
}

std::size_t LiveGraph::pointsKept() const
{
    std::size_t points = 0;
    for (const Sample& s : live_)
        points += s.values.size();
    for (std::size_t i = 0; i < graph_->seriesList().count(); ++i)
        points += graph_->seriesList().at(i).count();
    return points;
}

void LiveGraph::addValues(const std::vector<double>& values, std::int64_t timeMs)
{
    log_ = nullptr;
    // A stream started again begins its time again: the old window ends there.
    if (!live_.empty() && timeMs < live_.back().timeMs)
        live_.clear();
    live_.push_back({timeMs, values});
    while (!live_.empty() && live_.front().timeMs < timeMs - kWindowMs)
        live_.pop_front();
    if (!redraw_->isActive())
        redraw_->start();
}

void LiveGraph::clear()
{
    log_ = nullptr;
    live_.clear();
    graph_->seriesList().clear();
}

void LiveGraph::redrawLive()
{
    if (log_)
        return;
    std::vector<const Sample*> samples;
    for (const Sample& s : live_)
        samples.push_back(&s);
    const std::int64_t end = live_.empty() ? 0 : live_.back().timeMs;
    rebuild(samples, end - kWindowMs, end, std::nullopt);
}

void LiveGraph::showLog(const consult::LogFile& log, std::int64_t positionMs)
{
    log_ = &log;
    logPosition_ = positionMs;
    const std::int64_t from = positionMs - kWindowMs / 2, to = positionMs + kWindowMs / 2;
    // The rows are in time order: the window is one stretch of them.
    const auto& rows = log.rows();
    auto first = std::lower_bound(rows.begin(), rows.end(), from,
                                  [](const consult::LogRow& r, std::int64_t t) { return r.timeMs < t; });
    std::vector<Sample> window;
    for (auto it = first; it != rows.end() && it->timeMs <= to; ++it)
        window.push_back({it->timeMs, it->values});
    std::vector<const Sample*> samples;
    for (const Sample& s : window)
        samples.push_back(&s);
    rebuild(samples, from, to, positionMs);
}

void LiveGraph::rebuild(const std::vector<const Sample*>& samples, std::int64_t from, std::int64_t to,
                        std::optional<std::int64_t> cursor)
{
    graph2d::SeriesList& list = graph_->seriesList();
    list.clear();
    for (std::size_t c = 0; c < checks_.size(); ++c) {
        if (!checks_[c]->isChecked())
            continue;
        graph2d::PointSeries& series = list.add();
        series.setColor(kColours[c % std::size(kColours)]);
        const auto [low, high] = graphRange(columns_[c].name);
        for (const Sample* s : samples)
            if (c < s->values.size() && std::isfinite(s->values[c]))
                series.addPoint(s->timeMs / 1000.0, 100 * (s->values[c] - low) / (high - low));
    }
    if (cursor) {
        graph2d::PointSeries& line = list.add();
        line.setColor(graph2d::colorBlack);
        line.addPoint(*cursor / 1000.0, -5);
        line.addPoint(*cursor / 1000.0 + 1e-6, 105);
    }
    graph_->setVisibleArea(from / 1000.0, -5, to / 1000.0, 105);
}

} // namespace vantrell
