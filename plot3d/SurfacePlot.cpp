#include "plot3d/SurfacePlot.h"

#include "plot3d/PainterCanvas.h"
#include "plot3d/SceneRenderer.h"
#include "plot3d/SystemColors.h"

#include <QMetaMethod>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plot3d {

SurfacePlot::SurfacePlot(QWidget* parent) : QWidget(parent)
{
    resize(650, 500);
    s_.centX = width() / 2;
    s_.centY = height() / 2;
    data_ = new DataMatrix(this);
    hitX_ = new IntMatrix(this);
    hitY_ = new IntMatrix(this);
    hitDepth_ = new IntMatrix(this);
    connect(data_, &DataMatrix::changed, this, &SurfacePlot::onDataChanged);
    rotation_ = viewRotation(s_.viewAngleX, s_.viewAngleZ);
    anchor_ = makeAnchor(s_, {});
    // Pointer movements without a button retake the drag anchor and report the grid point under it.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    constructing_ = false;
}

SurfacePlot::~SurfacePlot() = default;

void SurfacePlot::applyScannerDefaults()
{
    resize(545, 385);
    setToolTip(QStringLiteral("left mouse to rotate, right mouse button to zoom"));
    PlotSettings s;
    s.boundBoxStyle = bbFaces;
    s.centX = 270;
    s.centY = 190;
    s.colorBakGnd = colors::clWhite;
    s.colorCodeAvg = false;
    s.colorCubeFrame = 4210752;
    s.colorCubeHidLin = 11579568;
    s.colorCubeFaceLow = colors::clSilver;
    s.colorCubeFaceHigh = 16707310;
    s.colorXCoords = colors::clRed;
    s.colorYCoords = colors::clBlue;
    s.colorZCoords = colors::clBlack;
    s.colorMesh = colors::clBackground;
    s.colorLow = colors::clYellow;
    s.colorMid = colors::clLime;
    s.colorHigh = colors::clRed;
    s.colorCodingMode = ccmThreeColors;
    s.colorScheme = csSystem;
    s.decPlaceX = 1;
    s.decPlaceY = 1;
    s.decPlaceZ = 1;
    s.frameStyle = fsLowered;
    s.meshVisible = true;
    s.magnification = 0.8;
    s.mouseAction = maRotAndZoom;
    s.rangeZLow = -1;
    s.rangeZHigh = 60;
    s.viewAngleX = 60;
    s.viewAngleZ = 15;
    s.visibleXCoords = false;
    s.visibleYCoords = false;
    s.visibleZCoords = true;
    s_ = s;
    rotation_ = viewRotation(s_.viewAngleX, s_.viewAngleZ);
    refresh();
}

void SurfacePlot::onDataChanged()
{
    // The hit matrices follow the data matrix's size; their contents are refreshed by the next drawing.
    const int columns = data_->nrOfColumns();
    const int rows = data_->nrOfRows();
    hitX_->resize(columns, rows);
    hitY_->resize(columns, rows);
    hitDepth_->resize(columns, rows);
}

void SurfacePlot::renderImage()
{
    if (constructing_)
        return;
    const QSize area = size();
    if (area.isEmpty()) {
        image_ = QImage();
        return;
    }
    if (image_.size() != area)
        image_ = QImage(area, QImage::Format_RGB32);
    const QPalette pal = palette();
    image_.fill(toQColor(s_.colorBakGnd, pal));

    QPainter painter(&image_);
    PainterCanvas canvas(painter, pal);
    if (isSignalConnected(QMetaMethod::fromSignal(&SurfacePlot::beforeRenderPolygon))) {
        canvas.setCellHook([this](int column, int row, double value, ColorValue& color,
                                  const std::array<ScreenPoint, 4>& corners) {
            RenderPolygon polygon;
            polygon.column = column;
            polygon.row = row;
            polygon.value = value;
            polygon.color = color;
            for (const ScreenPoint& p : corners)
                polygon.corners << QPoint(p.x, p.y);
            emit beforeRenderPolygon(&polygon);
            color = polygon.color & 0x00FFFFFF;
            return !polygon.skip;
        });
    }
    if (isSignalConnected(QMetaMethod::fromSignal(&SurfacePlot::beforeDrawScaleLabel))) {
        canvas.setLabelHook([this](PlotAxis axis, double tick, std::string& text) {
            QString label = QString::fromStdString(text);
            emit beforeDrawScaleLabel(axis, tick, &label);
            text = label.toStdString();
        });
    }
    SceneRenderer renderer(s_, rotation_, data_->storage());
    hitExtent_ = renderer.draw(canvas, {hitX_->storage(), hitY_->storage(), hitDepth_->storage()});
    emit dataRendered(&painter);

    const QColor shadow = s_.colorScheme == csBWG ? QColor(0x80, 0x80, 0x80) : pal.color(QPalette::Dark);
    const QColor highlight = s_.colorScheme == csBWG ? QColor(Qt::white) : pal.color(QPalette::Light);
    painter.setBrush(Qt::NoBrush);
    for (const FrameLine& frameLine : frameLines(s_.frameStyle, area.width(), area.height())) {
        switch (frameLine.ink) {
        case FrameInk::Frame:
            painter.setPen(toQColor(s_.colorFrame, pal));
            break;
        case FrameInk::Shadow:
            painter.setPen(shadow);
            break;
        case FrameInk::Dark:
            painter.setPen(Qt::black);
            break;
        case FrameInk::Highlight:
            painter.setPen(highlight);
            break;
        }
        QPolygon points;
        for (const ScreenPoint& p : frameLine.points)
            points << QPoint(p.x, p.y);
        painter.drawPolyline(points);
    }
}

void SurfacePlot::redraw()
{
    if (isVisible())
        repaint();
    else
        renderImage();
}

void SurfacePlot::refresh()
{
    if (!constructing_)
        redraw();
}

void SurfacePlot::paintEvent(QPaintEvent*)
{
    renderImage();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void SurfacePlot::takeAnchor(QPoint position)
{
    anchor_ = makeAnchor(s_, {position.x(), position.y()});
}

void SurfacePlot::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    // The first button down starts a drag from the view as it is now.
    if (event->buttons() == event->button())
        takeAnchor(event->position().toPoint());
}

void SurfacePlot::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    const bool left = event->buttons().testFlag(Qt::LeftButton);
    const bool right = event->buttons().testFlag(Qt::RightButton);
    if (!left && !right) {
        takeAnchor(pos);
    } else {
        const DragResult drag = applyDrag(s_, anchor_, left, right, pos.x(), pos.y(), width(), height());
        if (drag.changed) {
            if (drag.turned)
                rotation_ = viewRotation(s_.viewAngleX, s_.viewAngleZ);
            emit mouseActionDone(s_.centX, s_.centY, s_.magnification, s_.viewAngleX, s_.viewAngleZ);
            redraw();
        }
    }
    const auto hit = findGridPoint(hitX_->storage(), hitY_->storage(), hitDepth_->storage(), hitExtent_,
                                   pos.x(), pos.y(), s_.magnification);
    emit mouseMoveOverPlot(hit.has_value(), hit ? hit->column : 0, hit ? hit->row : 0, event->modifiers());
}

void SurfacePlot::storeColor(ColorValue& field, quint32 value)
{
    field = value;
    refresh();
}

void SurfacePlot::storeRange(double& field, double value, double other, double bump)
{
    if (std::isnan(value))
        return;
    field = value == other ? other + bump : value;
    refresh();
}

void SurfacePlot::setBoundBoxStyle(TBoundingBox value)
{
    if (value == s_.boundBoxStyle)
        return;
    s_.boundBoxStyle = value;
    refresh();
}

void SurfacePlot::setCentX(int value)
{
    s_.centX = std::clamp(value, -width(), 2 * width());
    refresh();
}

void SurfacePlot::setCentY(int value)
{
    s_.centY = std::clamp(value, -height(), 2 * height());
    refresh();
}

void SurfacePlot::setColorFrame(quint32 value)
{
    storeColor(s_.colorFrame, value);
}
void SurfacePlot::setColorBakGnd(quint32 value)
{
    storeColor(s_.colorBakGnd, value);
}
void SurfacePlot::setColorCubeFrame(quint32 value)
{
    storeColor(s_.colorCubeFrame, value);
}
void SurfacePlot::setColorCubeHidLin(quint32 value)
{
    storeColor(s_.colorCubeHidLin, value);
}
void SurfacePlot::setColorCubeFaceLow(quint32 value)
{
    storeColor(s_.colorCubeFaceLow, value);
}
void SurfacePlot::setColorCubeFaceHigh(quint32 value)
{
    storeColor(s_.colorCubeFaceHigh, value);
}
void SurfacePlot::setColorXCoords(quint32 value)
{
    storeColor(s_.colorXCoords, value);
}
void SurfacePlot::setColorYCoords(quint32 value)
{
    storeColor(s_.colorYCoords, value);
}
void SurfacePlot::setColorZCoords(quint32 value)
{
    storeColor(s_.colorZCoords, value);
}
void SurfacePlot::setColorMesh(quint32 value)
{
    storeColor(s_.colorMesh, value);
}
void SurfacePlot::setColorLow(quint32 value)
{
    storeColor(s_.colorLow, value);
}
void SurfacePlot::setColorMid(quint32 value)
{
    storeColor(s_.colorMid, value);
}
void SurfacePlot::setColorHigh(quint32 value)
{
    storeColor(s_.colorHigh, value);
}

void SurfacePlot::setColorCodeAvg(bool value)
{
    if (value == s_.colorCodeAvg)
        return;
    s_.colorCodeAvg = value;
    refresh();
}

void SurfacePlot::setColorScaleLow(double value)
{
    if (!(value < s_.colorScaleHigh))
        return;
    s_.colorScaleLow = value;
    refresh();
}

void SurfacePlot::setColorScaleHigh(double value)
{
    if (!(value > s_.colorScaleLow))
        return;
    s_.colorScaleHigh = value;
    refresh();
}

void SurfacePlot::setColorCodingMode(TColorCodingMode value)
{
    if (value == s_.colorCodingMode)
        return;
    s_.colorCodingMode = value;
    refresh();
}

void SurfacePlot::setColorScheme(TColorScheme value)
{
    if (value == s_.colorScheme)
        return;
    s_.colorScheme = value;
    refresh();
}

void SurfacePlot::setDecPlaceX(int value)
{
    s_.decPlaceX = std::clamp(value, -2, 12);
    refresh();
}

void SurfacePlot::setDecPlaceY(int value)
{
    s_.decPlaceY = std::clamp(value, -2, 12);
    refresh();
}

void SurfacePlot::setDecPlaceZ(int value)
{
    s_.decPlaceZ = std::clamp(value, -2, 12);
    refresh();
}

void SurfacePlot::setFrameStyle(TFrameStyle value)
{
    if (value == s_.frameStyle)
        return;
    s_.frameStyle = value;
    refresh();
}

void SurfacePlot::setMeshVisible(bool value)
{
    if (value == s_.meshVisible)
        return;
    s_.meshVisible = value;
    refresh();
}

void SurfacePlot::setMagnification(double value)
{
    s_.magnification = clampMagnification(value);
    refresh();
}

void SurfacePlot::setMouseAction(MouseActMode value)
{
    s_.mouseAction = value;
    refresh();
}

void SurfacePlot::setMinTickX(int value)
{
    s_.minTickX = std::clamp(value, 2, 20);
    refresh();
}

void SurfacePlot::setMinTickY(int value)
{
    s_.minTickY = std::clamp(value, 2, 20);
    refresh();
}

void SurfacePlot::setMinTickZ(int value)
{
    s_.minTickZ = std::clamp(value, 2, 20);
    refresh();
}

void SurfacePlot::setRangeXLow(double value)
{
    storeRange(s_.rangeXLow, value, s_.rangeXHigh, -1.0);
}
void SurfacePlot::setRangeXHigh(double value)
{
    storeRange(s_.rangeXHigh, value, s_.rangeXLow, 1.0);
}
void SurfacePlot::setRangeYLow(double value)
{
    storeRange(s_.rangeYLow, value, s_.rangeYHigh, -1.0);
}
void SurfacePlot::setRangeYHigh(double value)
{
    storeRange(s_.rangeYHigh, value, s_.rangeYLow, 1.0);
}
void SurfacePlot::setRangeZLow(double value)
{
    storeRange(s_.rangeZLow, value, s_.rangeZHigh, -1.0);
}
void SurfacePlot::setRangeZHigh(double value)
{
    storeRange(s_.rangeZHigh, value, s_.rangeZLow, 1.0);
}

void SurfacePlot::setScaleFactX(double value)
{
    s_.scaleFactX = value;
    refresh();
}

void SurfacePlot::setScaleFactY(double value)
{
    s_.scaleFactY = value;
    refresh();
}

void SurfacePlot::setScaleFactZ(double value)
{
    s_.scaleFactZ = value;
    refresh();
}

void SurfacePlot::setViewAngleX(double value)
{
    if (value == s_.viewAngleX || std::isnan(value))
        return;
    s_.viewAngleX = wrapViewAngle(value);
    rotation_ = viewRotation(s_.viewAngleX, s_.viewAngleZ);
    refresh();
}

void SurfacePlot::setViewAngleZ(double value)
{
    if (value == s_.viewAngleZ || std::isnan(value))
        return;
    s_.viewAngleZ = wrapViewAngle(value);
    rotation_ = viewRotation(s_.viewAngleX, s_.viewAngleZ);
    refresh();
}

void SurfacePlot::setVisibleXCoords(bool value)
{
    s_.visibleXCoords = value;
    refresh();
}

void SurfacePlot::setVisibleYCoords(bool value)
{
    s_.visibleYCoords = value;
    refresh();
}

void SurfacePlot::setVisibleZCoords(bool value)
{
    s_.visibleZCoords = value;
    refresh();
}

} // namespace plot3d
