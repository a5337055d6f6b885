// SurfacePlot: a widget that draws the values of its DataMatrix as a colour-coded surface over a
// grid inside a shaded box, in parallel projection, with scaled axes. The user turns, zooms or
// shifts the view with the mouse. Every drawing rule is computed by the Qt-free SceneRenderer; the
// widget keeps the settings, checks property writes, paints into an off-screen image and shows that
// image in one piece.
#pragma once

#include "plot3d/DataMatrix.h"
#include "plot3d/IntMatrix.h"
#include "plot3d/PlotMath.h"
#include "plot3d/PlotTypes.h"

#include <QImage>
#include <QPolygon>
#include <QString>
#include <QWidget>

class QPainter;

namespace plot3d {

// Handed to beforeRenderPolygon before a surface cell is filled. A directly connected slot may
// change `color` or set `skip` to leave the cell out.
struct RenderPolygon
{
    int column = 0; // grid point (column, row) of the cell's first corner, from 1
    int row = 0;
    double value = 0.0;   // the value the colour was coded from
    ColorValue color = 0; // fill colour (red in the low byte)
    QPolygon corners;     // the four projected corners in drawing order
    bool skip = false;
};

class SurfacePlot : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(plot3d::TBoundingBox BoundBoxStyle READ boundBoxStyle WRITE setBoundBoxStyle)
    Q_PROPERTY(int CentX READ centX WRITE setCentX)
    Q_PROPERTY(int CentY READ centY WRITE setCentY)
    Q_PROPERTY(quint32 ColorFrame READ colorFrame WRITE setColorFrame)
    Q_PROPERTY(quint32 ColorBakGnd READ colorBakGnd WRITE setColorBakGnd)
    Q_PROPERTY(bool ColorCodeAvg READ colorCodeAvg WRITE setColorCodeAvg)
    Q_PROPERTY(quint32 ColorCubeFrame READ colorCubeFrame WRITE setColorCubeFrame)
    Q_PROPERTY(quint32 ColorCubeHidLin READ colorCubeHidLin WRITE setColorCubeHidLin)
    Q_PROPERTY(quint32 ColorCubeFaceLow READ colorCubeFaceLow WRITE setColorCubeFaceLow)
    Q_PROPERTY(quint32 ColorCubeFaceHigh READ colorCubeFaceHigh WRITE setColorCubeFaceHigh)
    Q_PROPERTY(quint32 ColorXCoords READ colorXCoords WRITE setColorXCoords)
    Q_PROPERTY(quint32 ColorYCoords READ colorYCoords WRITE setColorYCoords)
    Q_PROPERTY(quint32 ColorZCoords READ colorZCoords WRITE setColorZCoords)
    Q_PROPERTY(quint32 ColorMesh READ colorMesh WRITE setColorMesh)
    Q_PROPERTY(quint32 ColorLow READ colorLow WRITE setColorLow)
    Q_PROPERTY(quint32 ColorMid READ colorMid WRITE setColorMid)
    Q_PROPERTY(quint32 ColorHigh READ colorHigh WRITE setColorHigh)
    Q_PROPERTY(double ColorScaleLow READ colorScaleLow WRITE setColorScaleLow)
    Q_PROPERTY(double ColorScaleHigh READ colorScaleHigh WRITE setColorScaleHigh)
    Q_PROPERTY(plot3d::TColorCodingMode ColorCodingMode READ colorCodingMode WRITE setColorCodingMode)
    Q_PROPERTY(plot3d::TColorScheme ColorScheme READ colorScheme WRITE setColorScheme)
    Q_PROPERTY(int DecPlaceX READ decPlaceX WRITE setDecPlaceX)
    Q_PROPERTY(int DecPlaceY READ decPlaceY WRITE setDecPlaceY)
    Q_PROPERTY(int DecPlaceZ READ decPlaceZ WRITE setDecPlaceZ)
    Q_PROPERTY(plot3d::TFrameStyle FrameStyle READ frameStyle WRITE setFrameStyle)
    Q_PROPERTY(bool MeshVisible READ meshVisible WRITE setMeshVisible)
    Q_PROPERTY(double Magnification READ magnification WRITE setMagnification)
    Q_PROPERTY(plot3d::MouseActMode MouseAction READ mouseAction WRITE setMouseAction)
    Q_PROPERTY(int MinTickX READ minTickX WRITE setMinTickX)
    Q_PROPERTY(int MinTickY READ minTickY WRITE setMinTickY)
    Q_PROPERTY(int MinTickZ READ minTickZ WRITE setMinTickZ)
    Q_PROPERTY(double RangeXLow READ rangeXLow WRITE setRangeXLow)
    Q_PROPERTY(double RangeXHigh READ rangeXHigh WRITE setRangeXHigh)
    Q_PROPERTY(double RangeYLow READ rangeYLow WRITE setRangeYLow)
    Q_PROPERTY(double RangeYHigh READ rangeYHigh WRITE setRangeYHigh)
    Q_PROPERTY(double RangeZLow READ rangeZLow WRITE setRangeZLow)
    Q_PROPERTY(double RangeZHigh READ rangeZHigh WRITE setRangeZHigh)
    Q_PROPERTY(double ScaleFactX READ scaleFactX WRITE setScaleFactX)
    Q_PROPERTY(double ScaleFactY READ scaleFactY WRITE setScaleFactY)
    Q_PROPERTY(double ScaleFactZ READ scaleFactZ WRITE setScaleFactZ)
    Q_PROPERTY(double ViewAngleX READ viewAngleX WRITE setViewAngleX)
    Q_PROPERTY(double ViewAngleZ READ viewAngleZ WRITE setViewAngleZ)
    Q_PROPERTY(bool VisibleXCoords READ visibleXCoords WRITE setVisibleXCoords)
    Q_PROPERTY(bool VisibleYCoords READ visibleYCoords WRITE setVisibleYCoords)
    Q_PROPERTY(bool VisibleZCoords READ visibleZCoords WRITE setVisibleZCoords)

  public:
    // Created 650 by 500 with the defaults; the plot owns its data matrix and hit matrices.
    explicit SurfacePlot(QWidget* parent = nullptr);
    ~SurfacePlot() override;

    // The scanner window's design-time settings: size 545 by 385, centre (270, 190), magnification
    // 0.8, three-colour coding yellow / lime / red, mesh in the desktop colour, only the Z axis shown
    // with one decimal, Z range -1..60, rotate with the left and zoom with the right button, and the
    // hint "left mouse to rotate, right mouse button to zoom".
    void applyScannerDefaults();

    // The data matrix. The owner resizes it and writes elements, then calls repaint(); a change of
    // data alone does not redraw.
    DataMatrix* dataMatrix() { return data_; }
    const DataMatrix* dataMatrix() const { return data_; }

    // Screen x, screen y and depth of each grid point as of the last drawing.
    const IntMatrix* hitX() const { return hitX_; }
    const IntMatrix* hitY() const { return hitY_; }
    const IntMatrix* hitDepth() const { return hitDepth_; }

    // The current view rotation and the last finished off-screen image.
    const Rotation& rotation() const { return rotation_; }
    const QImage& image() const { return image_; }
    const PlotSettings& settings() const { return s_; }

    // Redraws the off-screen image now and shows it (as the property setters do).
    void redraw();

    TBoundingBox boundBoxStyle() const { return s_.boundBoxStyle; }
    int centX() const { return s_.centX; }
    int centY() const { return s_.centY; }
    quint32 colorFrame() const { return s_.colorFrame; }
    quint32 colorBakGnd() const { return s_.colorBakGnd; }
    bool colorCodeAvg() const { return s_.colorCodeAvg; }
    quint32 colorCubeFrame() const { return s_.colorCubeFrame; }
    quint32 colorCubeHidLin() const { return s_.colorCubeHidLin; }
    quint32 colorCubeFaceLow() const { return s_.colorCubeFaceLow; }
    quint32 colorCubeFaceHigh() const { return s_.colorCubeFaceHigh; }
    quint32 colorXCoords() const { return s_.colorXCoords; }
    quint32 colorYCoords() const { return s_.colorYCoords; }
    quint32 colorZCoords() const { return s_.colorZCoords; }
    quint32 colorMesh() const { return s_.colorMesh; }
    quint32 colorLow() const { return s_.colorLow; }
    quint32 colorMid() const { return s_.colorMid; }
    quint32 colorHigh() const { return s_.colorHigh; }
    double colorScaleLow() const { return s_.colorScaleLow; }
    double colorScaleHigh() const { return s_.colorScaleHigh; }
    TColorCodingMode colorCodingMode() const { return s_.colorCodingMode; }
    TColorScheme colorScheme() const { return s_.colorScheme; }
    int decPlaceX() const { return s_.decPlaceX; }
    int decPlaceY() const { return s_.decPlaceY; }
    int decPlaceZ() const { return s_.decPlaceZ; }
    TFrameStyle frameStyle() const { return s_.frameStyle; }
    bool meshVisible() const { return s_.meshVisible; }
    double magnification() const { return s_.magnification; }
    MouseActMode mouseAction() const { return s_.mouseAction; }
    int minTickX() const { return s_.minTickX; }
    int minTickY() const { return s_.minTickY; }
    int minTickZ() const { return s_.minTickZ; }
    double rangeXLow() const { return s_.rangeXLow; }
    double rangeXHigh() const { return s_.rangeXHigh; }
    double rangeYLow() const { return s_.rangeYLow; }
    double rangeYHigh() const { return s_.rangeYHigh; }
    double rangeZLow() const { return s_.rangeZLow; }
    double rangeZHigh() const { return s_.rangeZHigh; }
    double scaleFactX() const { return s_.scaleFactX; }
    double scaleFactY() const { return s_.scaleFactY; }
    double scaleFactZ() const { return s_.scaleFactZ; }
    double viewAngleX() const { return s_.viewAngleX; }
    double viewAngleZ() const { return s_.viewAngleZ; }
    bool visibleXCoords() const { return s_.visibleXCoords; }
    bool visibleYCoords() const { return s_.visibleYCoords; }
    bool visibleZCoords() const { return s_.visibleZCoords; }

    // Setters check their value (clamp, wrap or refuse) and redraw at once when they store one.
    void setBoundBoxStyle(TBoundingBox value); // redraws only on a change
    void setCentX(int value);                  // clamped to -width..2*width
    void setCentY(int value);                  // clamped to -height..2*height
    void setColorFrame(quint32 value);
    void setColorBakGnd(quint32 value);
    void setColorCodeAvg(bool value); // redraws only on a change
    void setColorCubeFrame(quint32 value);
    void setColorCubeHidLin(quint32 value);
    void setColorCubeFaceLow(quint32 value);
    void setColorCubeFaceHigh(quint32 value);
    void setColorXCoords(quint32 value);
    void setColorYCoords(quint32 value);
    void setColorZCoords(quint32 value);
    void setColorMesh(quint32 value);
    void setColorLow(quint32 value);
    void setColorMid(quint32 value);
    void setColorHigh(quint32 value);
    void setColorScaleLow(double value);             // ignored unless below ColorScaleHigh
    void setColorScaleHigh(double value);            // ignored unless above ColorScaleLow
    void setColorCodingMode(TColorCodingMode value); // redraws only on a change
    void setColorScheme(TColorScheme value);         // redraws only on a change
    void setDecPlaceX(int value);                    // clamped to -2..12 (-2: automatic)
    void setDecPlaceY(int value);
    void setDecPlaceZ(int value);
    void setFrameStyle(TFrameStyle value); // redraws only on a change
    void setMeshVisible(bool value);       // redraws only on a change
    void setMagnification(double value);   // clamped to 0.001..3.0
    void setMouseAction(MouseActMode value);
    void setMinTickX(int value); // clamped to 2..20
    void setMinTickY(int value);
    void setMinTickZ(int value);
    void setRangeXLow(double value);  // equal to the high end: stored as high - 1
    void setRangeXHigh(double value); // equal to the low end: stored as low + 1
    void setRangeYLow(double value);
    void setRangeYHigh(double value);
    void setRangeZLow(double value);
    void setRangeZHigh(double value);
    void setScaleFactX(double value);
    void setScaleFactY(double value);
    void setScaleFactZ(double value);
    void setViewAngleX(double value); // taken only when it differs; wrapped into 0..360
    void setViewAngleZ(double value);
    void setVisibleXCoords(bool value);
    void setVisibleYCoords(bool value);
    void setVisibleZCoords(bool value);

  signals:
    // After the scene is drawn on the off-screen image; the painter draws on that image.
    void dataRendered(QPainter* painter);
    // After a mouse drag changed the view.
    void mouseActionDone(int centX, int centY, double magnification, double viewAngleX, double viewAngleZ);
    // Before each surface cell is filled; see RenderPolygon.
    void beforeRenderPolygon(plot3d::RenderPolygon* polygon);
    // Before each axis label is written; a directly connected slot may change *text.
    void beforeDrawScaleLabel(plot3d::PlotAxis axis, double tickValue, QString* text);
    // On every pointer movement: the grid point under the pointer, if any.
    void mouseMoveOverPlot(bool found, int column, int row, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void onDataChanged();
    void renderImage();
    void refresh();
    void takeAnchor(QPoint position);
    void storeColor(ColorValue& field, quint32 value);
    void storeRange(double& field, double value, double other, double bump);

    PlotSettings s_;
    Rotation rotation_;
    DataMatrix* data_ = nullptr;
    IntMatrix* hitX_ = nullptr;
    IntMatrix* hitY_ = nullptr;
    IntMatrix* hitDepth_ = nullptr;
    HitExtent hitExtent_;
    QImage image_;
    bool constructing_ = true;
    MouseAnchor anchor_;
};

} // namespace plot3d
