#include "vantrell/tools/MeterGraph.h"

#include <QPainter>
#include <QResizeEvent>

namespace vantrell {

namespace {

QColor colourOf(const Rgb& c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

MeterGraph::MeterGraph(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("graph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QPointF MeterGraph::toWidget(double x, double y) const
{
    return QPointF(x * width() / kGraphWidth, y * height() / kGraphHeight);
}

void MeterGraph::ensurePicture()
{
    const qreal dpr = devicePixelRatioF();
    const QSize wanted = size() * dpr;
    if (picture_.size() == wanted || wanted.isEmpty())
        return;
    // A new size draws the kept drawings again at that size, so nothing drawn is lost or blurred.
    picture_ = QPixmap(wanted);
    picture_.setDevicePixelRatio(dpr);
    picture_.fill(Qt::black); // the graph's background
    for (const auto& commands : drawings_)
        paintCommands(commands);
}

void MeterGraph::draw(const std::vector<GraphCommand>& commands)
{
    drawings_.push_back(commands);
    if (drawings_.size() > kKeptDrawings)
        drawings_.erase(drawings_.begin());
    const bool resized = picture_.size() != size() * devicePixelRatioF();
    ensurePicture(); // a new size draws every kept drawing, this one included
    if (!resized)
        paintCommands(commands);
    update();
}

void MeterGraph::paintCommands(const std::vector<GraphCommand>& commands)
{
    if (picture_.isNull())
        return; // not laid out yet: nothing to draw on
    QPainter p(&picture_);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const GraphCommand& c : commands) {
        const QColor colour = colourOf(c.colour);
        switch (c.kind) {
        case GraphCommand::Kind::Frame:
            p.setPen(QPen(colour, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(toWidget(c.x1, c.y1), toWidget(c.x2, c.y2)));
            break;
        case GraphCommand::Kind::Line:
            p.setPen(QPen(colour, 1));
            p.drawLine(toWidget(c.x1, c.y1), toWidget(c.x2, c.y2));
            break;
        case GraphCommand::Kind::Dot:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(toWidget(c.x1, c.y1), 1.5, 1.5);
            p.setBrush(Qt::NoBrush);
            break;
        }
    }
}

void MeterGraph::paintEvent(QPaintEvent*)
{
    ensurePicture();
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}

void MeterGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ensurePicture();
}

} // namespace vantrell
