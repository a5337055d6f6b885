#include "LineGraph.h"

#include "GridLines.h"
#include "SeriesWalk.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRubberBand>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace graph2d {

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QRect toQRect(const PlotRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

PlotRect shrunk(PlotRect r, int by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// Frame one pixel wide on the edges of an inclusive rectangle: top and left in one colour, bottom
// and right in the other.
void drawFrame(QPainter& painter, const PlotRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(r.left, r.top, r.right, r.top);
    painter.drawLine(r.left, r.top, r.left, r.bottom);
    painter.setPen(bottomRight);
    painter.drawLine(r.left, r.bottom, r.right, r.bottom);
    painter.drawLine(r.right, r.top, r.right, r.bottom);
}

} // namespace

LineGraph::LineGraph(QWidget* parent) : QWidget(parent), series_([this] { seriesChanged(); })
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(60, 40);
}

LineGraph::~LineGraph() = default;

void LineGraph::setVisibleArea(double x1, double y1, double x2, double y2)
{
    const std::optional<VisibleArea> area = normalisedVisibleArea(x1, y1, x2, y2);
    if (!area)
        return;
    area_ = *area;
    stale_ = true;
    emit visChange();
    repaint();
}

void LineGraph::applyScannerDefaults()
{
    setColorBg(colorWhite);
    setColorBg2(colorWhite);
    setMousePan(maNone);
    setMouseZoom(maNone);
    setMouseFuncHint(maShift);
    setNumbHoriz(false);
    setNumbVert(false);
    setQuadrant(gqAll);
    setAspectRatio(1.0);
    setMaintainRatio(false);
    setZoomTime(200);
}

// ---- properties -------------------------------------------------------------------------------

namespace {

template <typename T> bool assignIfDifferent(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void LineGraph::setAspectRatio(double ratio)
{
    if (!(ratio > 0.0) || !std::isfinite(ratio))
        return;
    aspectRatio_ = ratio;
}

void LineGraph::setBgImage(const QImage& image)
{
    bgImage_ = image;
    markStaleAndUpdate();
}

void LineGraph::setBgStyle(TBgStyle style)
{
    if (assignIfDifferent(bgStyle_, style))
        markStaleAndUpdate();
}

void LineGraph::setBorderStyle(TBorderStyle style)
{
    if (assignIfDifferent(borderStyle_, style))
        markStaleAndUpdate();
}

void LineGraph::setColorAxis(quint32 color)
{
    if (assignIfDifferent(colorAxis_, color))
        markStaleAndUpdate();
}

void LineGraph::setColorBg(quint32 color)
{
    if (assignIfDifferent(colorBg_, color))
        markStaleAndUpdate();
}

void LineGraph::setColorBg2(quint32 color)
{
    if (assignIfDifferent(colorBg2_, color))
        markStaleAndUpdate();
}

void LineGraph::setColorBorder(quint32 color)
{
    if (assignIfDifferent(colorBorder_, color))
        markStaleAndUpdate();
}

void LineGraph::setColorGrid(quint32 color)
{
    if (assignIfDifferent(colorGrid_, color))
        markStaleAndUpdate();
}

void LineGraph::setColorNumb(quint32 color)
{
    if (assignIfDifferent(colorNumb_, color))
        markStaleAndUpdate();
}

void LineGraph::setGraphBorder(TBorderStyle style)
{
    if (assignIfDifferent(graphBorder_, style))
        markStaleAndUpdate();
}

void LineGraph::setGridStyle(TGridStyle style)
{
    if (assignIfDifferent(gridStyle_, style))
        markStaleAndUpdate();
}

void LineGraph::setMaintainRatio(bool maintain)
{
    maintainRatio_ = maintain;
}

void LineGraph::setMousePan(TMouseAction action)
{
    mousePan_ = action;
}

void LineGraph::setMouseZoom(TMouseAction action)
{
    mouseZoom_ = action;
}

void LineGraph::setMouseFuncHint(TMouseAction action)
{
    mouseFuncHint_ = action;
}

void LineGraph::setNumbHoriz(bool on)
{
    if (assignIfDifferent(numbHoriz_, on))
        markStaleAndUpdate();
}

void LineGraph::setNumbVert(bool on)
{
    if (assignIfDifferent(numbVert_, on))
        markStaleAndUpdate();
}

void LineGraph::setQuadrant(TQuadrant quadrant)
{
    quadrant_ = quadrant;
}

void LineGraph::setZoomTime(int milliseconds)
{
    zoomTime_ = std::max(0, milliseconds);
}

void LineGraph::setXLabeling(Labeling labeling)
{
    xLabeling_ = std::move(labeling);
    markStaleAndUpdate();
}

void LineGraph::setYLabeling(Labeling labeling)
{
    yLabeling_ = std::move(labeling);
    markStaleAndUpdate();
}

QString LineGraph::xText(double value) const
{
    return xLabeling_ ? xLabeling_(value) : QString::number(value);
}

QString LineGraph::yText(double value) const
{
    return yLabeling_ ? yLabeling_(value) : QString::number(value);
}

// ---- colours ----------------------------------------------------------------------------------

QColor LineGraph::resolveColor(quint32 color) const
{
    if (!isSystemColor(color))
        return QColor(redOf(color), greenOf(color), blueOf(color));
    switch (color & 0xFFu) {
    case colorHighlight & 0xFFu:
        return palette().color(QPalette::Highlight);
    case colorButtonFace & 0xFFu:
        return palette().color(QPalette::Button);
    case colorButtonShadow & 0xFFu:
        return palette().color(QPalette::Dark);
    case colorButtonHighlight & 0xFFu:
        return palette().color(QPalette::Light);
    case 5: // window background
        return palette().color(QPalette::Base);
    case 8: // window text
        return palette().color(QPalette::WindowText);
    default:
        return palette().color(QPalette::Window);
    }
}

// ---- picture ----------------------------------------------------------------------------------

void LineGraph::seriesChanged()
{
    markStaleAndUpdate();
}

void LineGraph::markStaleAndUpdate()
{
    stale_ = true;
    emit changed();
    update();
}

bool LineGraph::pictureIsStale() const
{
    return stale_ || picture_.size() != size() || pictureDepth_ != depth();
}

PlotRect LineGraph::plotRect() const
{
    PlotRect rect{0, 0, width() - 1, height() - 1};
    if (borderStyle_ != bstNone)
        rect = shrunk(rect, 1);
    const QFontMetrics metrics(font());
    if (numbHoriz_)
        rect.bottom -= metrics.height() + 4;
    if (numbVert_)
        rect.left +=
            metrics.horizontalAdvance(QString::fromStdString(sampleNumberText(area_.y1, area_.y2))) + 4;
    if (graphBorder_ != bstNone)
        rect = shrunk(rect, 1);
    return rect;
}

void LineGraph::ensurePicture()
{
    if (!pictureIsStale())
        return;
    if (picture_.size() != size())
        picture_ = QImage(size(), QImage::Format_RGB32);
    pictureDepth_ = depth();
    stale_ = false;
    if (picture_.isNull())
        return;
    drawPicture(picture_);
    ++pictureDrawCount_;
}

void LineGraph::drawPicture(QImage& image) const
{
    QPainter painter(&image);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const QRect whole = image.rect();

    // 1. Background.
    switch (bgStyle_) {
    case bgsSolid:
        painter.fillRect(whole, resolveColor(colorBg_));
        break;
    case bgsLineHoriz:
    case bgsLineVert: {
        // Lines of one colour each, running from ColorBg to ColorBg2 across the control.
        const QPointF end = bgStyle_ == bgsLineHoriz ? QPointF(0, whole.height()) : QPointF(whole.width(), 0);
        QLinearGradient gradient(QPointF(0, 0), end);
        gradient.setColorAt(0, resolveColor(colorBg_));
        gradient.setColorAt(1, resolveColor(colorBg2_));
        painter.fillRect(whole, gradient);
        break;
    }
    case bgsImageStretch:
        painter.fillRect(whole, resolveColor(colorBg_));
        if (!bgImage_.isNull())
            painter.drawImage(whole, bgImage_);
        break;
    case bgsImageTile:
        painter.fillRect(whole, resolveColor(colorBg_));
        if (!bgImage_.isNull())
            painter.fillRect(whole, QBrush(bgImage_));
        break;
    }

    // 2. Border of the control.
    const PlotRect outer{0, 0, whole.width() - 1, whole.height() - 1};
    const QColor highlight = resolveColor(colorButtonHighlight);
    const QColor shadow = resolveColor(colorButtonShadow);
    switch (borderStyle_) {
    case bstNone:
        break;
    case bstSingle:
        painter.setPen(resolveColor(colorBorder_));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(toQRect(outer));
        break;
    case bstRaised:
        drawFrame(painter, outer, highlight, shadow);
        break;
    case bstLowered:
        drawFrame(painter, outer, shadow, highlight);
        break;
    }

    // 3. Plotting rectangle and the mapping into it.
    const PlotRect rect = plotRect();
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const PixelMap map(area_, rect);

    // 4. Grid and axis lines, axis numbers, the frame round the plotting rectangle.
    const GridLinesShown shown = gridLinesShown(static_cast<GridStyle>(gridStyle_));
    const QString sample = QString::fromStdString(sampleNumberText(area_.x1, area_.x2));
    const GridLineSet rows = horizontalGridLines(map, metrics.height());
    const GridLineSet columns = verticalGridLines(map, metrics.horizontalAdvance(sample));
    const QColor axisColor = resolveColor(colorAxis_);
    const QColor gridColor = resolveColor(colorGrid_);
    for (const GridLine& line : rows.lines) {
        if (line.isAxis ? shown.xAxis : shown.xGrid) {
            painter.setPen(line.isAxis ? axisColor : gridColor);
            painter.drawLine(rect.left, line.pixel, rect.right, line.pixel);
        }
    }
    for (const GridLine& line : columns.lines) {
        if (line.isAxis ? shown.yAxis : shown.yGrid) {
            painter.setPen(line.isAxis ? axisColor : gridColor);
            painter.drawLine(line.pixel, rect.top, line.pixel, rect.bottom);
        }
    }

    const PlotRect frame = shrunk(rect, -1);
    switch (graphBorder_) {
    case bstNone:
        break;
    case bstSingle:
        painter.setPen(resolveColor(colorBorder_));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(toQRect(frame));
        break;
    case bstRaised:
        drawFrame(painter, frame, highlight, shadow);
        break;
    case bstLowered:
        drawFrame(painter, frame, shadow, highlight);
        break;
    }

    painter.setPen(resolveColor(colorNumb_));
    if (numbHoriz_) {
        const int top = frame.bottom + 2;
        int freeFrom = whole.left();
        for (const GridLine& line : columns.lines) {
            const QString text = xLabeling_
                                     ? xLabeling_(line.value)
                                     : QString::fromStdString(axisNumberText(line.value, columns.step));
            const int textWidth = metrics.horizontalAdvance(text);
            const int left =
                std::clamp(line.pixel - textWidth / 2, 0, std::max(0, whole.width() - textWidth));
            if (left < freeFrom)
                continue; // would overlap the number before it
            painter.drawText(QRect(left, top, textWidth, metrics.height()), Qt::AlignCenter, text);
            freeFrom = left + textWidth + metrics.horizontalAdvance(QLatin1Char(' '));
        }
    }
    if (numbVert_) {
        const int right = frame.left - 2;
        for (const GridLine& line : rows.lines) {
            const QString text = yLabeling_ ? yLabeling_(line.value)
                                            : QString::fromStdString(axisNumberText(line.value, rows.step));
            const int top = std::clamp(line.pixel - metrics.height() / 2, 0,
                                       std::max(0, whole.height() - metrics.height()));
            painter.drawText(QRect(0, top, std::max(0, right), metrics.height()),
                             Qt::AlignRight | Qt::AlignVCenter, text);
        }
    }

    // 5. The series, in list order; lines that leave the area stop at the plotting rectangle.
    painter.setClipRect(toQRect(rect));
    for (std::size_t i = 0; i < series_.count(); ++i) {
        const PointSeries& series = series_.at(i);
        if (!series.visible())
            continue;
        const QColor color = resolveColor(series.color());
        if (series.style() == SeriesStyle::JoinedLines) {
            const std::vector<PixelPoint> vertices = joinedLineVertices(series.points(), map);
            if (vertices.size() == 1) {
                painter.fillRect(vertices.front().x, vertices.front().y, 1, 1, color);
            } else if (vertices.size() > 1) {
                QPolygon polygon;
                polygon.reserve(static_cast<int>(vertices.size()));
                for (const PixelPoint& v : vertices)
                    polygon.append(QPoint(v.x, v.y));
                painter.setPen(QPen(color, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                painter.drawPolyline(polygon);
            }
        } else {
            for (const PixelPoint& p : pointPixels(series.points(), map))
                painter.fillRect(p.x - 1, p.y - 1, 3, 3, color);
        }
    }
}

void LineGraph::paintEvent(QPaintEvent*)
{
    ensurePicture();
    QPainter painter(this);
    if (!picture_.isNull())
        painter.drawImage(0, 0, picture_);
}

void LineGraph::changeEvent(QEvent* event)
{
    // Text sizes and system colours come from the font and the palette.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        stale_ = true;
        update();
    }
    QWidget::changeEvent(event);
}

// ---- mouse ------------------------------------------------------------------------------------

bool LineGraph::matches(TMouseAction action, const QMouseEvent& event) const
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    switch (action) {
    case maNone:
        return false;
    case maRight:
        return event.button() == Qt::RightButton;
    case maShift:
        return event.button() == Qt::LeftButton && modifiers.testFlag(Qt::ShiftModifier);
    case maCtrl:
        return event.button() == Qt::LeftButton && modifiers.testFlag(Qt::ControlModifier);
    case maAlt:
        return event.button() == Qt::LeftButton && modifiers.testFlag(Qt::AltModifier);
    }
    return false;
}

void LineGraph::mousePressEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const PlotRect rect = plotRect();
    if (mouseOperation_ != MouseOperation::None || !rect.contains(position.x(), position.y())) {
        QWidget::mousePressEvent(event);
        return;
    }
    mouseStart_ = position;
    if (matches(mouseFuncHint_, *event)) {
        mouseOperation_ = MouseOperation::Hint;
        showHint(position);
    } else if (matches(mousePan_, *event)) {
        mouseOperation_ = MouseOperation::Pan;
        panStartArea_ = area_;
        if (zoomTimer_ != nullptr)
            zoomTimer_->stop();
        setCursor(Qt::ClosedHandCursor);
    } else if (matches(mouseZoom_, *event)) {
        mouseOperation_ = MouseOperation::Zoom;
        if (zoomBand_ == nullptr)
            zoomBand_ = new QRubberBand(QRubberBand::Rectangle, this);
        zoomBand_->setGeometry(QRect(position, QSize()));
        zoomBand_->show();
    } else {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
}

void LineGraph::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const PlotRect rect = plotRect();
    switch (mouseOperation_) {
    case MouseOperation::None:
        QWidget::mouseMoveEvent(event);
        return;
    case MouseOperation::Hint:
        showHint(position);
        break;
    case MouseOperation::Pan:
        if (rect.width() > 0 && rect.height() > 0) {
            const double dx = (mouseStart_.x() - position.x()) * panStartArea_.width() / rect.width();
            const double dy = (position.y() - mouseStart_.y()) * panStartArea_.height() / rect.height();
            setVisibleArea(panStartArea_.x1 + dx, panStartArea_.y1 + dy, panStartArea_.x2 + dx,
                           panStartArea_.y2 + dy);
        }
        break;
    case MouseOperation::Zoom:
        if (zoomBand_ != nullptr)
            zoomBand_->setGeometry(QRect(mouseStart_, position).normalized());
        break;
    }
    event->accept();
}

void LineGraph::mouseReleaseEvent(QMouseEvent* event)
{
    const MouseOperation operation = std::exchange(mouseOperation_, MouseOperation::None);
    switch (operation) {
    case MouseOperation::None:
        QWidget::mouseReleaseEvent(event);
        return;
    case MouseOperation::Hint:
        closeHint();
        break;
    case MouseOperation::Pan:
        unsetCursor();
        break;
    case MouseOperation::Zoom: {
        if (zoomBand_ != nullptr)
            zoomBand_->hide();
        const PlotRect rect = plotRect();
        const QPoint end = event->position().toPoint();
        if (rect.width() <= 0 || rect.height() <= 0)
            break;
        const PixelMap map(area_, rect);
        if (end.x() - mouseStart_.x() >= 3 && std::abs(end.y() - mouseStart_.y()) >= 3) {
            // Dragged to the right: show the marked rectangle.
            startZoomAnimation({map.xAtColumn(mouseStart_.x()),
                                map.yAtRow(std::max(mouseStart_.y(), end.y())), map.xAtColumn(end.x()),
                                map.yAtRow(std::min(mouseStart_.y(), end.y()))});
        } else if (mouseStart_.x() - end.x() >= 3) {
            // Dragged to the left: show twice the area round the same centre.
            const double cx = (area_.x1 + area_.x2) / 2;
            const double cy = (area_.y1 + area_.y2) / 2;
            startZoomAnimation(
                {cx - area_.width(), cy - area_.height(), cx + area_.width(), cy + area_.height()});
        }
        break;
    }
    }
    event->accept();
}

void LineGraph::showHint(QPoint position)
{
    const PlotRect rect = plotRect();
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const PixelMap map(area_, rect);
    if (hint_ == nullptr) {
        hint_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        hint_->setObjectName(QStringLiteral("valueHint"));
        hint_->resize(80, 50);
        hint_->setMinimumSize(80, 50);
        hint_->setMargin(4);
        hint_->setAutoFillBackground(true);
        hint_->setFrameStyle(QFrame::NoFrame);
    }
    hint_->setText(QStringLiteral("x: %1\ny: %2")
                       .arg(xText(map.xAtColumn(position.x())), yText(map.yAtRow(position.y()))));
    hint_->adjustSize();
    hint_->move(mapToGlobal(position) + QPoint(12, 12));
    hint_->show();
}

void LineGraph::closeHint()
{
    if (hint_ != nullptr)
        hint_->hide();
}

QWidget* LineGraph::valueHint() const
{
    return hint_ != nullptr && hint_->isVisible() ? hint_ : nullptr;
}

void LineGraph::startZoomAnimation(const VisibleArea& target)
{
    if (!normalisedVisibleArea(target.x1, target.y1, target.x2, target.y2))
        return;
    if (zoomTime_ == 0) {
        setVisibleArea(target.x1, target.y1, target.x2, target.y2);
        return;
    }
    if (zoomTimer_ == nullptr) {
        zoomTimer_ = new QTimer(this);
        zoomTimer_->setInterval(15);
        connect(zoomTimer_, &QTimer::timeout, this, &LineGraph::zoomAnimationStep);
    }
    zoomFrom_ = area_;
    zoomTo_ = target;
    zoomStartedMs_ = steadyMilliseconds();
    zoomTimer_->start();
}

void LineGraph::zoomAnimationStep()
{
    const double t = std::min(1.0, static_cast<double>(steadyMilliseconds() - zoomStartedMs_) / zoomTime_);
    const auto between = [t](double from, double to) { return from + (to - from) * t; };
    setVisibleArea(between(zoomFrom_.x1, zoomTo_.x1), between(zoomFrom_.y1, zoomTo_.y1),
                   between(zoomFrom_.x2, zoomTo_.x2), between(zoomFrom_.y2, zoomTo_.y2));
    if (t >= 1.0)
        zoomTimer_->stop();
}

} // namespace graph2d
