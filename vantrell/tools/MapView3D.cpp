#include "vantrell/tools/MapView3D.h"

#include "vantrell/tools/PageFont.h"

#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace vantrell {

namespace {

constexpr double kStartZoom = 2.5;

// Paints the view's cached picture in one piece.
class MapCanvas : public QWidget
{
  public:
    MapCanvas(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture)
    {
        setObjectName(QStringLiteral("map3d"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (picture_.isNull())
            p.fillRect(rect(), Qt::black);
        else
            p.drawImage(QPointF(0, 0), picture_);
    }

  private:
    const QImage& picture_;
};

QColor colourOf(const Rgb& c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

MapView3D::MapView3D(EditorState& state, QWidget* parent)
    : QGroupBox(QStringLiteral("3D Map Display   -    Use cursor keys and shift to rotate map and \"stuff\""),
                parent),
      state_(state)
{
    setObjectName(QStringLiteral("frame_map3d"));
    usePageFont(this, 10); // the caption is long for the frame
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    canvas_ = new MapCanvas(picture_, this);
    layout->addWidget(canvas_);
    setGeometry(615, 55, 370, 330);
}

void MapView3D::resetView()
{
    model_.reset();
}

void MapView3D::setSelection(int top, int left, int bottom, int right)
{
    model_.setSelection(GridSelection{top, left, bottom, right});
}

bool MapView3D::viewKey(int qtKey, Qt::KeyboardModifiers mods)
{
    ViewKey key = ViewKey::Other;
    switch (qtKey) {
    case Qt::Key_Left:
        key = ViewKey::Left;
        break;
    case Qt::Key_Right:
        key = ViewKey::Right;
        break;
    case Qt::Key_Up:
        key = ViewKey::Up;
        break;
    case Qt::Key_Down:
        key = ViewKey::Down;
        break;
    default:
        break;
    }
    const bool arrow = model_.viewKey(key, mods & Qt::ShiftModifier);
    drawView();
    return arrow;
}

QPointF MapView3D::canvasPoint(int unitX, int unitY) const
{
    return origin_ + QPointF(unitX / unitsPerPixel_, unitY / unitsPerPixel_);
}

void MapView3D::setTrace(const CellTrace& trace)
{
    if (trace == trace_)
        return;
    trace_ = trace;
    render();
}

void MapView3D::drawView()
{
    render();
}

void MapView3D::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    render();
}

void MapView3D::render()
{
    const QSize size = canvas_->size();
    if (size.isEmpty())
        return;
    // The area is a square (the centre lies half a width down, so a wider area gains nothing), inset by
    // the dots' radius, centred sideways on the canvas.
    const double margin = kDotRadius + 1;
    const double heightPx = std::max(1.0, size.height() - 2 * margin);
    const double widthPx = std::max(1.0, std::min(size.width() - 2 * margin, heightPx));
    const double startUnit = MapViewModel::unitsPerPixel(widthPx, heightPx, kStartZoom);
    unitsPerPixel_ = startUnit;
    origin_ = QPointF((size.width() - widthPx) / 2, margin);

    const qreal dpr = canvas_->devicePixelRatioF();
    QImage next(size * dpr, QImage::Format_RGB32);
    next.setDevicePixelRatio(dpr);
    next.fill(Qt::black);

    const auto set = state_.currentMapSet();
    if (set) {
        const MapKind kind = kindOf(state_.currentMap);
        drawing_ = model_.draw(state_.rom.buffer(), set->map, kind, widthPx * unitsPerPixel_);
        const double fitting = model_.unitsPerPixelForLastDrawing(widthPx, heightPx);
        if (fitting > unitsPerPixel_) {
            unitsPerPixel_ = fitting;
            drawing_ = model_.draw(state_.rom.buffer(), set->map, kind, widthPx * unitsPerPixel_);
        }
        QPainter p(&next);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(colourOf(kMeshGrey), 1));
        for (const ViewLine& l : drawing_.lines)
            p.drawLine(canvasPoint(l.x1, l.y1), canvasPoint(l.x2, l.y2));
        // Dots crisp, so their colour is exact where a test or an eye looks at them.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        for (const ViewDot& d : drawing_.dots) {
            p.setPen(QPen(colourOf(d.colour), 1));
            p.drawEllipse(canvasPoint(d.x, d.y), kDotRadius, kDotRadius);
            if (d.ringed) {
                p.setPen(QPen(QColor(255, 0, 255), 1));
                p.drawEllipse(canvasPoint(d.x, d.y), kDotRadius + 3, kDotRadius + 3);
            }
        }
        for (const ViewDot& d : drawing_.dots) {
            const TraceLook& look = trace_.at(d.row, d.column);
            if (!look.marked())
                continue;
            const QPointF centre = canvasPoint(d.x, d.y);
            if (look.trail > 0 && !look.running) {
                p.setPen(QPen(QColor(0, 230, 255, static_cast<int>(60 + 195 * look.trail)), 1));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(centre, kDotRadius + 2, kDotRadius + 2);
            }
            if (look.weight > 0) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 140, 0));
                const double r = 1 + look.weight * (kDotRadius + 1);
                p.drawEllipse(centre, r, r);
            }
            if (look.running || look.rowOnly) {
                p.setPen(QPen(QColor(255, 230, 0), look.running ? 2 : 1));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(centre, kDotRadius + 4, kDotRadius + 4);
            }
        }
    } else {
        drawing_ = ViewDrawing{};
    }
    picture_ = next;
    canvas_->update();
}

} // namespace vantrell
