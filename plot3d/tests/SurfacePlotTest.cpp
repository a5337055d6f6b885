#include "plot3d/DataMatrix.h"
#include "plot3d/IntMatrix.h"
#include "plot3d/PlotMath.h"
#include "plot3d/SurfacePlot.h"
#include "plot3d/SystemColors.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace plot3d;

namespace {

QRgb rgbOf(ColorValue value)
{
    return qRgb(colors::redOf(value), colors::greenOf(value), colors::blueOf(value));
}

// A smooth 16 by 16 table of raw bytes shaped like a fuel map: rising with load and rpm.
void fillFuelMap(DataMatrix& m)
{
    m.resize(16, 16);
    for (int r = 1; r <= 16; ++r)
        for (int c = 1; c <= 16; ++c)
            m.setElement(c, r, std::round(30 + 2.0 * r + 9.0 * c + 15.0 * std::sin(r / 3.0)));
}

void savePicture(const SurfacePlot& plot, const char* name)
{
    if (const char* dir = std::getenv("PLOT3D_PNG_DIR"))
        plot.image().save(QString::fromLocal8Bit(dir) + "/" + name);
}

TEST(Plot3dDataMatrix, WritesInsideNotifyAndOutsideAreIgnored)
{
    DataMatrix m;
    QSignalSpy changed(&m, &DataMatrix::changed);
    EXPECT_EQ(m.nrOfColumns(), 1);
    EXPECT_EQ(m.nrOfRows(), 1);
    ASSERT_TRUE(m.resize(16, 8));
    EXPECT_EQ(changed.count(), 1);
    m.setElement(16, 8, 2.5);
    EXPECT_EQ(changed.count(), 2);
    m.setElement(17, 8, 1.0);
    m.setElement(16, 0, 1.0);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(m.element(16, 8), 2.5);
    EXPECT_EQ(m.element(17, 8), 0.0);
    EXPECT_EQ(m.element(0, 0), 0.0);
}

TEST(Plot3dDataMatrix, ResizeKeepsValuesSameSizeIsQuietAndBelowOneFails)
{
    DataMatrix m;
    m.resize(16, 16);
    m.setElement(3, 4, 9.0);
    m.setElement(12, 12, 7.0);
    QSignalSpy changed(&m, &DataMatrix::changed);
    EXPECT_TRUE(m.resize(16, 16));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(m.resize(8, 8));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m.element(3, 4), 9.0);
    EXPECT_TRUE(m.resize(16, 16));
    EXPECT_EQ(m.element(3, 4), 9.0);
    EXPECT_EQ(m.element(12, 12), 0.0);
    EXPECT_FALSE(m.resize(0, 16));
    EXPECT_FALSE(m.resize(16, -3));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(m.nrOfColumns(), 16);
    m.setNrOfColumns(0);
    EXPECT_EQ(m.nrOfColumns(), 1);
    EXPECT_EQ(m.nrOfRows(), 16);
    EXPECT_EQ(m.element(1, 4), 0.0);
    EXPECT_EQ(m.property("NrOfRows").toInt(), 16);
}

TEST(Plot3dDataMatrix, ResizeBeyondMemoryKeepsOldContents)
{
    DataMatrix m;
    m.resize(4, 4);
    m.setElement(2, 3, 5.0);
    QSignalSpy changed(&m, &DataMatrix::changed);
    EXPECT_FALSE(m.resize(2147483647, 2147483647));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m.nrOfColumns(), 4);
    EXPECT_EQ(m.element(2, 3), 5.0);
}

TEST(Plot3dIntMatrix, SameRulesForIntegers)
{
    IntMatrix m;
    QSignalSpy changed(&m, &IntMatrix::changed);
    m.setNrOfRows(3);
    m.setNrOfColumns(2);
    m.setElement(2, 3, -7);
    m.setElement(3, 3, 5);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(m.element(2, 3), -7);
    EXPECT_EQ(m.element(3, 3), 0);
    EXPECT_FALSE(m.resize(0, 0));
}

TEST(Plot3dSurfacePlotProperties, DefaultsAtCreation)
{
    SurfacePlot plot;
    EXPECT_EQ(plot.size(), QSize(650, 500));
    EXPECT_EQ(plot.centX(), 325);
    EXPECT_EQ(plot.centY(), 250);
    EXPECT_EQ(plot.boundBoxStyle(), bbFaces);
    EXPECT_EQ(plot.colorCubeFaceHigh(), 0xFEEEEEu);
    EXPECT_EQ(plot.colorMid(), colors::clBlue);
    EXPECT_EQ(plot.decPlaceZ(), 2);
    EXPECT_EQ(plot.mouseAction(), maRotate);
    EXPECT_EQ(plot.frameStyle(), fsLowered);
    EXPECT_DOUBLE_EQ(plot.magnification(), 1.0);
    EXPECT_DOUBLE_EQ(plot.rangeZLow(), -1.0);
    EXPECT_DOUBLE_EQ(plot.colorScaleHigh(), 100.0);
    EXPECT_EQ(plot.dataMatrix()->nrOfColumns(), 1);
    EXPECT_EQ(plot.property("ViewAngleX").toDouble(), 60.0);
    EXPECT_EQ(plot.property("ColorCubeHidLin").toUInt(), 0xB0B0B0u);
    EXPECT_TRUE(plot.setProperty("FrameStyle", QVariant::fromValue(fsRaised)));
    EXPECT_EQ(plot.frameStyle(), fsRaised);
    EXPECT_EQ(plot.property("MouseAction").value<MouseActMode>(), maRotate);
}

TEST(Plot3dSurfacePlotProperties, SetterGuardsClampWrapAndRefuse)
{
    SurfacePlot plot;
    plot.applyScannerDefaults();
    plot.setRangeZLow(3.0);
    plot.setRangeZHigh(3.0);
    EXPECT_DOUBLE_EQ(plot.rangeZHigh(), 4.0);
    plot.setRangeZLow(4.0);
    EXPECT_DOUBLE_EQ(plot.rangeZLow(), 3.0);
    plot.setRangeXHigh(-1.0);
    EXPECT_DOUBLE_EQ(plot.rangeXHigh(), 0.0);

    plot.setColorScaleHigh(17.0);
    plot.setColorScaleLow(10.0);
    plot.setColorScaleLow(17.0); // at the high end: ignored
    plot.setColorScaleLow(20.0); // above it: ignored
    EXPECT_DOUBLE_EQ(plot.colorScaleLow(), 10.0);
    plot.setColorScaleHigh(10.0);
    EXPECT_DOUBLE_EQ(plot.colorScaleHigh(), 17.0);

    plot.setMagnification(5.0);
    EXPECT_DOUBLE_EQ(plot.magnification(), 3.0);
    plot.setMagnification(0.0);
    EXPECT_DOUBLE_EQ(plot.magnification(), 0.001);

    plot.setViewAngleX(370.0);
    EXPECT_DOUBLE_EQ(plot.viewAngleX(), 10.0);
    plot.setViewAngleX(-30.0);
    EXPECT_DOUBLE_EQ(plot.viewAngleX(), 330.0);
    plot.setViewAngleZ(400.0);
    EXPECT_DOUBLE_EQ(plot.viewAngleZ(), 40.0);
    EXPECT_NEAR(plot.rotation().m[0][0], std::cos(40.0 * M_PI / 180), 1e-12);

    plot.setCentX(5000);
    EXPECT_EQ(plot.centX(), 2 * 545);
    plot.setCentY(-5000);
    EXPECT_EQ(plot.centY(), -385);
    plot.setDecPlaceZ(-5);
    EXPECT_EQ(plot.decPlaceZ(), -2);
    plot.setDecPlaceX(40);
    EXPECT_EQ(plot.decPlaceX(), 12);
    plot.setMinTickZ(1);
    EXPECT_EQ(plot.minTickZ(), 2);
    plot.setMinTickY(30);
    EXPECT_EQ(plot.minTickY(), 20);
}

TEST(Plot3dSurfacePlotProperties, ScannerRangeResetOrderReachesEveryModeRange)
{
    SurfacePlot plot;
    plot.applyScannerDefaults();
    struct Ranges
    {
        double zLow, zHigh, cLow, cHigh;
    };
    // Raw, air/fuel, timing, and back to raw: high ends are written before low ends.
    for (const Ranges& r : {Ranges{0, 255, 0, 255}, Ranges{14, 15, 10, 17}, Ranges{0, 1, 0, 50},
                            Ranges{14, 15, 10, 17}, Ranges{0, 255, 0, 255}}) {
        plot.setRangeZHigh(r.zHigh);
        plot.setRangeZLow(r.zLow);
        plot.setColorScaleHigh(r.cHigh);
        plot.setColorScaleLow(r.cLow);
        EXPECT_DOUBLE_EQ(plot.rangeZLow(), r.zLow);
        EXPECT_DOUBLE_EQ(plot.rangeZHigh(), r.zHigh);
        EXPECT_DOUBLE_EQ(plot.colorScaleLow(), r.cLow);
        EXPECT_DOUBLE_EQ(plot.colorScaleHigh(), r.cHigh);
    }
}

TEST(Plot3dSurfacePlotProperties, DataResizeResizesHitMatrices)
{
    SurfacePlot plot;
    plot.dataMatrix()->resize(8, 5);
    EXPECT_EQ(plot.hitX()->nrOfColumns(), 8);
    EXPECT_EQ(plot.hitDepth()->nrOfRows(), 5);
}

// The scanner's plot showing a flat table of 16 by 16 at the middle of the raw range.
class Plot3dScannerPlot : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        plot.applyScannerDefaults();
        plot.dataMatrix()->resize(16, 16);
        plot.setRangeZHigh(255);
        plot.setRangeZLow(0);
        plot.setColorScaleHigh(255);
        plot.setColorScaleLow(0);
        for (int r = 1; r <= 16; ++r)
            for (int c = 1; c <= 16; ++c)
                plot.dataMatrix()->setElement(c, r, 127.5);
        plot.redraw();
    }

    QRgb pixelAtModel(const Vec3& p) const
    {
        const ScreenPoint s = makeProjection(plot.settings(), plot.rotation()).project(p);
        return plot.image().pixel(s.x, s.y);
    }

    SurfacePlot plot;
};

TEST_F(Plot3dScannerPlot, FlatTableFillsTheMiddleColourOverShadedWalls)
{
    ASSERT_EQ(plot.image().size(), QSize(545, 385));
    savePicture(plot, "plot3d-flat.png");
    // The middle of the colour scale is lime; the surface's centre lies at the box centre.
    EXPECT_EQ(plot.image().pixel(270, 190), qRgb(0, 255, 0));
    EXPECT_EQ(pixelAtModel({40, -40, 0}), qRgb(0, 255, 0));
    // Above the surface the top wall shows, shaded half way (its depth sum is 4 cos 60).
    EXPECT_EQ(pixelAtModel({0, 0, 150}), rgbOf(shadeColor(0xC0C0C0, 0xFEEEEE, 100)));
    // Background outside the box, and the lowered frame's dark line.
    EXPECT_EQ(plot.image().pixel(20, 370), qRgb(255, 255, 255));
    EXPECT_EQ(plot.image().pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(plot.image().pixel(544, 384), plot.palette().color(QPalette::Light).rgb());
}

TEST_F(Plot3dScannerPlot, FrontBoxEdgesInCubeFrameColour)
{
    const Projection p = makeProjection(plot.settings(), plot.rotation());
    const int near = nearCorner(plot.rotation());
    ASSERT_EQ(near, 7);
    for (int neighbour : kCornerNeighbours[7]) {
        const ScreenPoint a = p.project(boxCorner(near));
        const ScreenPoint b = p.project(boxCorner(neighbour));
        // Points a quarter and three quarters along the edge, allowing one pixel of line rasterising.
        for (double share : {0.25, 0.75}) {
            const int x = toScreen(a.x + share * (b.x - a.x));
            const int y = toScreen(a.y + share * (b.y - a.y));
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx)
                    found = plot.image().pixel(x + dx, y + dy) == qRgb(0x40, 0x40, 0x40);
            EXPECT_TRUE(found) << "edge 7-" << neighbour << " at " << share;
        }
    }
}

TEST_F(Plot3dScannerPlot, PolygonEventCanRecolourOrSkipCells)
{
    QObject::connect(&plot, &SurfacePlot::beforeRenderPolygon, &plot, [](RenderPolygon* polygon) {
        if (polygon->column <= 8)
            polygon->skip = true;
        else
            polygon->color = colors::clBlue;
    });
    int labels = 0;
    QObject::connect(&plot, &SurfacePlot::beforeDrawScaleLabel, &plot,
                     [&labels](PlotAxis axis, double, QString* text) {
                         EXPECT_EQ(axis, PlotAxis::Z);
                         if (*text == "250.0")
                             *text = QStringLiteral("top");
                         ++labels;
                     });
    int rendered = 0;
    QObject::connect(&plot, &SurfacePlot::dataRendered, &plot, [&rendered](QPainter* painter) {
        EXPECT_TRUE(painter->isActive());
        ++rendered;
    });
    plot.redraw();
    EXPECT_EQ(rendered, 1);
    EXPECT_EQ(labels, 6);
    EXPECT_EQ(pixelAtModel({60, 0, 0}), qRgb(0, 0, 255));
    EXPECT_NE(pixelAtModel({-60, 0, 0}), qRgb(0, 255, 0)); // left half skipped: the wall shows
    savePicture(plot, "plot3d-events.png");
}

TEST_F(Plot3dScannerPlot, SingleColumnDrawsOnlyTheBox)
{
    plot.dataMatrix()->resize(1, 16);
    plot.redraw();
    EXPECT_NE(plot.image().pixel(270, 190), qRgb(0, 255, 0));
    EXPECT_EQ(plot.hitX()->nrOfColumns(), 1);
}

TEST_F(Plot3dScannerPlot, FrameStylesAndColourSchemes)
{
    plot.setColorScheme(csBWG);
    plot.setFrameStyle(fsSimple);
    plot.setColorFrame(colors::clRed);
    EXPECT_EQ(plot.image().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(plot.image().pixel(544, 384), qRgb(255, 0, 0));
    plot.setFrameStyle(fsEngraved); // shadow rectangle drawn last at (0,0)
    EXPECT_EQ(plot.image().pixel(0, 0), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(plot.image().pixel(544, 384), qRgb(255, 255, 255));
    plot.setFrameStyle(fsRaised); // highlight line at (1,1)
    EXPECT_EQ(plot.image().pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(plot.image().pixel(544, 384), qRgb(0, 0, 0));
    plot.setFrameStyle(fsNone);
    EXPECT_EQ(plot.image().pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(Plot3dScannerPlot, SystemColourOfMeshComesFromPalette)
{
    EXPECT_EQ(toQColor(colors::clBackground, plot.palette()), plot.palette().color(QPalette::Window));
    EXPECT_EQ(toQColor(colors::clBtnShadow, plot.palette()), plot.palette().color(QPalette::Dark));
    EXPECT_EQ(toQColor(0x00336699, plot.palette()), QColor(0x99, 0x66, 0x33));
}

class Plot3dMouseOnPlot : public Plot3dScannerPlot
{
  protected:
    void SetUp() override
    {
        Plot3dScannerPlot::SetUp();
        plot.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
    }

    void drag(Qt::MouseButton button, QPoint from, QPoint to, int steps)
    {
        QTest::mouseMove(&plot, from);
        QTest::mousePress(&plot, button, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(&plot, from + (to - from) * i / steps);
        QTest::mouseRelease(&plot, button, {}, to);
    }
};

TEST_F(Plot3dMouseOnPlot, LeftDragAcrossTheWidthTurnsOnceAround)
{
    QSignalSpy actions(&plot, &SurfacePlot::mouseActionDone);
    drag(Qt::LeftButton, QPoint(545, 200), QPoint(0, 200), 10);
    ASSERT_EQ(actions.count(), 10);
    // Half way (x = 273) the view has turned by half a turn, near the end by almost a whole one.
    EXPECT_NEAR(actions.at(4).at(4).toDouble(), 15.0 + 180.0, 1.0);
    EXPECT_NEAR(actions.at(8).at(4).toDouble(), 15.0 + 324.0, 1.0);
    EXPECT_NEAR(plot.viewAngleZ(), 15.0, 1e-9);
    EXPECT_DOUBLE_EQ(plot.viewAngleX(), 60.0);
}

TEST_F(Plot3dMouseOnPlot, TurnReachingExactly360Keeps360)
{
    plot.setViewAngleZ(0.0);
    drag(Qt::LeftButton, QPoint(545, 200), QPoint(0, 200), 1);
    EXPECT_DOUBLE_EQ(plot.viewAngleZ(), 360.0);
    // The scene still draws at the full turn with the same rotation as 0.
    EXPECT_NEAR(plot.rotation().m[0][0], 1.0, 1e-12);
}

TEST_F(Plot3dMouseOnPlot, RightDragUpZoomsByHalfTheRangeAndStopsAtThree)
{
    drag(Qt::RightButton, QPoint(100, 385), QPoint(100, 0), 5);
    EXPECT_NEAR(plot.magnification(), 0.8 + 1.4995, 1e-9);
    // The next drag starts from the new magnification, since the anchor is retaken between drags.
    drag(Qt::RightButton, QPoint(100, 385), QPoint(100, 0), 5);
    EXPECT_DOUBLE_EQ(plot.magnification(), 3.0);
    drag(Qt::RightButton, QPoint(100, 0), QPoint(100, 192), 4);
    EXPECT_NEAR(plot.magnification(), 3.0 - 2.999 * 192 / 385 / 2, 1e-9);
}

TEST_F(Plot3dMouseOnPlot, PointerOverTheSurfaceReportsGridPoint)
{
    QSignalSpy over(&plot, &SurfacePlot::mouseMoveOverPlot);
    const ScreenPoint p = makeProjection(plot.settings(), plot.rotation())
                              .project({gridCoordinate(5, 16), gridCoordinate(9, 16), 0.0});
    QTest::mouseMove(&plot, QPoint(p.x + 1, p.y));
    ASSERT_GE(over.count(), 1);
    const auto last = over.last();
    EXPECT_TRUE(last.at(0).toBool());
    EXPECT_EQ(last.at(1).toInt(), 5);
    EXPECT_EQ(last.at(2).toInt(), 9);
    QTest::mouseMove(&plot, QPoint(10, 370));
    EXPECT_FALSE(over.last().at(0).toBool());
}

TEST(Plot3dSurfacePlotPictures, FuelMapAtScannerSettings)
{
    SurfacePlot plot;
    plot.applyScannerDefaults();
    fillFuelMap(*plot.dataMatrix());
    plot.setRangeZHigh(255);
    plot.setRangeZLow(0);
    plot.setColorScaleHigh(255);
    plot.setColorScaleLow(0);
    plot.redraw();
    savePicture(plot, "plot3d-fuelmap.png");
    // Low cells at the back-left are near yellow, high ones at the front-right lean to red.
    const QColor front = QColor(plot.image().pixel(270, 190));
    EXPECT_GT(front.green(), 100);
    plot.setViewAngleZ(200);
    plot.setViewAngleX(75);
    plot.setVisibleXCoords(true);
    plot.setVisibleYCoords(true);
    savePicture(plot, "plot3d-fuelmap-turned.png");
    plot.setColorCodingMode(ccmTwoColors);
    plot.setBoundBoxStyle(bbFrame);
    plot.setViewAngleX(240);
    savePicture(plot, "plot3d-fuelmap-below.png");
}

} // namespace
