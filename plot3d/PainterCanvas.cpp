#include "plot3d/PainterCanvas.h"

#include "plot3d/SystemColors.h"

#include <QPainter>
#include <QPoint>

namespace plot3d {

namespace {

QFont labelFont(const QPainter& painter)
{
    QFont font = painter.font();
    font.setPointSize(8);
    return font;
}

QColor plainColor(ColorValue color)
{
    return QColor(colors::redOf(color), colors::greenOf(color), colors::blueOf(color));
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const QPalette& palette)
    : painter_(painter), palette_(palette), metrics_(labelFont(painter), painter.device())
{
    painter_.setFont(labelFont(painter));
    painter_.setBackgroundMode(Qt::TransparentMode);
}

ColorValue PainterCanvas::resolve(ColorValue color)
{
    return resolveColorValue(color, palette_);
}

void PainterCanvas::polygon(const std::array<ScreenPoint, 4>& corners, std::optional<ColorValue> fill,
                            ColorValue outline)
{
    const QPoint points[4] = {{corners[0].x, corners[0].y},
                              {corners[1].x, corners[1].y},
                              {corners[2].x, corners[2].y},
                              {corners[3].x, corners[3].y}};
    painter_.setPen(plainColor(outline));
    if (fill)
        painter_.setBrush(plainColor(*fill));
    else
        painter_.setBrush(Qt::NoBrush);
    painter_.drawPolygon(points, 4);
}

void PainterCanvas::line(ScreenPoint from, ScreenPoint to, ColorValue color)
{
    painter_.setPen(plainColor(color));
    painter_.drawLine(from.x, from.y, to.x, to.y);
}

bool PainterCanvas::beforeCell(int column, int row, double value, ColorValue& color,
                               const std::array<ScreenPoint, 4>& corners)
{
    return cellHook_ ? cellHook_(column, row, value, color, corners) : true;
}

int PainterCanvas::textWidth(const std::string& text)
{
    return metrics_.horizontalAdvance(QString::fromStdString(text));
}

int PainterCanvas::zeroHeight()
{
    return metrics_.height();
}

void PainterCanvas::beforeLabel(PlotAxis axis, double tick, std::string& text)
{
    if (labelHook_)
        labelHook_(axis, tick, text);
}

void PainterCanvas::text(ScreenPoint topLeft, const std::string& text, ColorValue color)
{
    painter_.setPen(plainColor(color));
    painter_.drawText(topLeft.x, topLeft.y + metrics_.ascent(), QString::fromStdString(text));
}

} // namespace plot3d
