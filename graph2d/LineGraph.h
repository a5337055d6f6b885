// Graphic control that plots series of (x, y) points in a visible area of the real plane, with a
// background, a grid, axis lines, optional axis numbers and a value hint under the pointer.
//
// The picture is painted off-screen and kept until it is stale: a change of any series or of a
// drawing property marks it stale, and so do a new size or colour depth. Setting the visible area
// repaints at once; series changes repaint later through the event loop.
#pragma once

#include "GraphColors.h"
#include "PixelMap.h"
#include "SeriesList.h"
#include "VisibleArea.h"

#include <QImage>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;

namespace graph2d {

class LineGraph : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double AspectRatio READ aspectRatio WRITE setAspectRatio)
    Q_PROPERTY(QImage BgImage READ bgImage WRITE setBgImage)
    Q_PROPERTY(TBgStyle BgStyle READ bgStyle WRITE setBgStyle)
    Q_PROPERTY(TBorderStyle BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(quint32 ColorAxis READ colorAxis WRITE setColorAxis)
    Q_PROPERTY(quint32 ColorBg READ colorBg WRITE setColorBg)
    Q_PROPERTY(quint32 ColorBg2 READ colorBg2 WRITE setColorBg2)
    Q_PROPERTY(quint32 ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(quint32 ColorGrid READ colorGrid WRITE setColorGrid)
    Q_PROPERTY(quint32 ColorNumb READ colorNumb WRITE setColorNumb)
    Q_PROPERTY(TBorderStyle GraphBorder READ graphBorder WRITE setGraphBorder)
    Q_PROPERTY(TGridStyle GridStyle READ gridStyle WRITE setGridStyle)
    Q_PROPERTY(bool MaintainRatio READ maintainRatio WRITE setMaintainRatio)
    Q_PROPERTY(TMouseAction MousePan READ mousePan WRITE setMousePan)
    Q_PROPERTY(TMouseAction MouseZoom READ mouseZoom WRITE setMouseZoom)
    Q_PROPERTY(TMouseAction MouseFuncHint READ mouseFuncHint WRITE setMouseFuncHint)
    Q_PROPERTY(bool NumbHoriz READ numbHoriz WRITE setNumbHoriz)
    Q_PROPERTY(bool NumbVert READ numbVert WRITE setNumbVert)
    Q_PROPERTY(TQuadrant Quadrant READ quadrant WRITE setQuadrant)
    Q_PROPERTY(int ZoomTime READ zoomTime WRITE setZoomTime)

  public:
    enum TBgStyle { bgsSolid, bgsLineHoriz, bgsLineVert, bgsImageStretch, bgsImageTile };
    Q_ENUM(TBgStyle)
    enum TBorderStyle { bstNone, bstSingle, bstRaised, bstLowered };
    Q_ENUM(TBorderStyle)
    enum TGridStyle { gsNone, gsXAxis, gsYAxis, gsAxises, gsXGrid, gsYGrid, gsFull };
    Q_ENUM(TGridStyle)
    enum TMouseAction { maNone, maRight, maShift, maCtrl, maAlt };
    Q_ENUM(TMouseAction)
    enum TQuadrant { gqAll, gqFirst, gqSecond, gqThird, gqFourth, gqRight, gqLeft };
    Q_ENUM(TQuadrant)

    // Text for a value shown in the value hint and along an axis; an empty function means the
    // default number text.
    using Labeling = std::function<QString(double value)>;

    // Created 60 by 40 pixels with one empty series list and the default properties.
    explicit LineGraph(QWidget* parent = nullptr);
    ~LineGraph() override;

    // The series the graph draws, in list order.
    SeriesList& seriesList() { return series_; }
    const SeriesList& seriesList() const { return series_; }
    // Shorthands for seriesList().add() and seriesList().at(i) (throws std::out_of_range).
    PointSeries& addSeries() { return series_.add(); }
    PointSeries& series(std::size_t index) { return series_.at(index); }

    // Ignored when x1 = x2 or y1 = y2 (or an end is not a finite number); otherwise stored with
    // reversed ends exchanged, the picture marked stale, visChange() emitted and the control
    // repainted at once.
    void setVisibleArea(double x1, double y1, double x2, double y2);
    const VisibleArea& visibleArea() const { return area_; }

    // The scanner's settings: white background (ColorBg and ColorBg2), no mouse panning or zooming,
    // the value hint on Shift with the left button, no axis numbers, all quadrants, aspect ratio 1
    // not maintained, zoom time 200 ms.
    void applyScannerDefaults();

    // Published properties. Setters that change how the graph looks mark the picture stale, emit
    // changed() and schedule a repaint when the value differs.
    double aspectRatio() const { return aspectRatio_; }
    void setAspectRatio(double ratio); // 0 (and anything not positive and finite) is ignored
    QImage bgImage() const { return bgImage_; }
    void setBgImage(const QImage& image);
    TBgStyle bgStyle() const { return bgStyle_; }
    void setBgStyle(TBgStyle style);
    TBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    quint32 colorAxis() const { return colorAxis_; }
    void setColorAxis(quint32 color);
    quint32 colorBg() const { return colorBg_; }
    void setColorBg(quint32 color);
    quint32 colorBg2() const { return colorBg2_; }
    void setColorBg2(quint32 color);
    quint32 colorBorder() const { return colorBorder_; }
    void setColorBorder(quint32 color);
    quint32 colorGrid() const { return colorGrid_; }
    void setColorGrid(quint32 color);
    quint32 colorNumb() const { return colorNumb_; }
    void setColorNumb(quint32 color);
    TBorderStyle graphBorder() const { return graphBorder_; }
    void setGraphBorder(TBorderStyle style);
    TGridStyle gridStyle() const { return gridStyle_; }
    void setGridStyle(TGridStyle style);
    bool maintainRatio() const { return maintainRatio_; }
    void setMaintainRatio(bool maintain);
    TMouseAction mousePan() const { return mousePan_; }
    void setMousePan(TMouseAction action);
    TMouseAction mouseZoom() const { return mouseZoom_; }
    void setMouseZoom(TMouseAction action);
    TMouseAction mouseFuncHint() const { return mouseFuncHint_; }
    void setMouseFuncHint(TMouseAction action);
    bool numbHoriz() const { return numbHoriz_; }
    void setNumbHoriz(bool on);
    bool numbVert() const { return numbVert_; }
    void setNumbVert(bool on);
    TQuadrant quadrant() const { return quadrant_; }
    void setQuadrant(TQuadrant quadrant);
    int zoomTime() const { return zoomTime_; }
    void setZoomTime(int milliseconds); // negative values are taken as 0

    // OnXLabeling / OnYLabeling.
    void setXLabeling(Labeling labeling);
    void setYLabeling(Labeling labeling);

    // The plotting rectangle for the current size, font and properties.
    PlotRect plotRect() const;
    // The off-screen picture as last drawn, and how often it has been drawn (for checks that the
    // cache is reused).
    const QImage& picture() const { return picture_; }
    std::uint64_t pictureDrawCount() const { return pictureDrawCount_; }
    // True when the next paint draws the picture anew.
    bool pictureIsStale() const;

    // The value hint window while it is shown, otherwise nullptr.
    QWidget* valueHint() const;

    // The platform colour for a colour value (system colours through the palette).
    QColor resolveColor(quint32 color) const;

  signals:
    void changed();   // OnChange: a series or a drawing property changed
    void visChange(); // OnVisChange: the visible area changed

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    enum class MouseOperation { None, Hint, Pan, Zoom };

    void seriesChanged();
    void markStaleAndUpdate();
    void ensurePicture();
    void drawPicture(QImage& image) const;
    bool matches(TMouseAction action, const QMouseEvent& event) const;
    void showHint(QPoint position);
    void closeHint();
    QString xText(double value) const;
    QString yText(double value) const;
    void startZoomAnimation(const VisibleArea& target);
    void zoomAnimationStep();

    SeriesList series_;
    VisibleArea area_;
    double aspectRatio_ = 1.0;
    QImage bgImage_;
    TBgStyle bgStyle_ = bgsSolid;
    TBorderStyle borderStyle_ = bstNone;
    quint32 colorAxis_ = colorBlack;
    quint32 colorBg_ = colorButtonFace;
    quint32 colorBg2_ = colorButtonShadow;
    quint32 colorBorder_ = colorBlack;
    quint32 colorGrid_ = colorGray;
    quint32 colorNumb_ = colorBlack;
    TBorderStyle graphBorder_ = bstLowered;
    TGridStyle gridStyle_ = gsFull;
    bool maintainRatio_ = false;
    TMouseAction mousePan_ = maRight;
    TMouseAction mouseZoom_ = maRight;
    TMouseAction mouseFuncHint_ = maShift;
    bool numbHoriz_ = true;
    bool numbVert_ = true;
    TQuadrant quadrant_ = gqAll;
    int zoomTime_ = 200;
    Labeling xLabeling_;
    Labeling yLabeling_;

    QImage picture_;
    bool stale_ = true;
    int pictureDepth_ = 0;
    std::uint64_t pictureDrawCount_ = 0;

    MouseOperation mouseOperation_ = MouseOperation::None;
    QPoint mouseStart_;
    VisibleArea panStartArea_;
    QLabel* hint_ = nullptr;
    QWidget* zoomBand_ = nullptr;
    QTimer* zoomTimer_ = nullptr;
    VisibleArea zoomFrom_;
    VisibleArea zoomTo_;
    qint64 zoomStartedMs_ = 0;
};

} // namespace graph2d
