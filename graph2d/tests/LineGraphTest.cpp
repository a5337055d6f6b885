#include "LineGraph.h"

#include "PixelMap.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

using namespace graph2d;

namespace {

// One row of a fuel-like table, all well above the x axis.
constexpr std::array<int, 16> romRow = {20,  24,  31,  40,  52,  66,  80,  97,
                                        113, 131, 150, 170, 188, 205, 221, 236};

// The graph as the scanner sets it up: 553 by 201, one black joined-line series, area 0..15 by 0..255.
struct ScannerGraph
{
    LineGraph graph;
    ScannerGraph()
    {
        graph.resize(553, 201);
        graph.applyScannerDefaults();
        graph.setNumbVert(false);
        PointSeries& series = graph.addSeries();
        series.setStyle(SeriesStyle::JoinedLines);
        series.setColor(colorBlack);
        graph.setVisibleArea(0, 0, 15, 255);
    }
    void feedRow()
    {
        for (int i = 0; i < 16; ++i)
            graph.series(0).addPoint(i, romRow[static_cast<std::size_t>(i)]);
    }
    const QImage& render()
    {
        graph.grab();
        return graph.picture();
    }
};

QRgb rgb(quint32 color)
{
    return qRgb(redOf(color), greenOf(color), blueOf(color));
}

} // namespace

TEST(LineGraph, StartsSixtyByFortyWithThePublishedDefaults)
{
    LineGraph graph;
    EXPECT_EQ(graph.size(), QSize(60, 40));
    EXPECT_EQ(graph.seriesList().count(), 0u);
    EXPECT_EQ(graph.visibleArea(), (VisibleArea{-5, -5, 5, 5}));
    EXPECT_EQ(graph.property("AspectRatio").toDouble(), 1.0);
    EXPECT_EQ(graph.property("BgStyle").toInt(), LineGraph::bgsSolid);
    EXPECT_EQ(graph.property("BorderStyle").toInt(), LineGraph::bstNone);
    EXPECT_EQ(graph.property("ColorAxis").toUInt(), colorBlack);
    EXPECT_EQ(graph.property("ColorBg").toUInt(), colorButtonFace);
    EXPECT_EQ(graph.property("ColorBg2").toUInt(), colorButtonShadow);
    EXPECT_EQ(graph.property("ColorBorder").toUInt(), colorBlack);
    EXPECT_EQ(graph.property("ColorGrid").toUInt(), 0x808080u);
    EXPECT_EQ(graph.property("ColorNumb").toUInt(), colorBlack);
    EXPECT_EQ(graph.property("GraphBorder").toInt(), LineGraph::bstLowered);
    EXPECT_EQ(graph.property("GridStyle").toInt(), LineGraph::gsFull);
    EXPECT_FALSE(graph.property("MaintainRatio").toBool());
    EXPECT_EQ(graph.property("MousePan").toInt(), LineGraph::maRight);
    EXPECT_EQ(graph.property("MouseZoom").toInt(), LineGraph::maRight);
    EXPECT_EQ(graph.property("MouseFuncHint").toInt(), LineGraph::maShift);
    EXPECT_TRUE(graph.property("NumbHoriz").toBool());
    EXPECT_TRUE(graph.property("NumbVert").toBool());
    EXPECT_EQ(graph.property("Quadrant").toInt(), LineGraph::gqAll);
    EXPECT_EQ(graph.property("ZoomTime").toInt(), 200);
    EXPECT_TRUE(graph.pictureIsStale());
}

TEST(LineGraph, ScannerDefaultsAndPropertySetters)
{
    LineGraph graph;
    graph.applyScannerDefaults();
    EXPECT_EQ(graph.colorBg(), colorWhite);
    EXPECT_EQ(graph.colorBg2(), colorWhite);
    EXPECT_EQ(graph.mousePan(), LineGraph::maNone);
    EXPECT_EQ(graph.mouseZoom(), LineGraph::maNone);
    EXPECT_EQ(graph.mouseFuncHint(), LineGraph::maShift);
    EXPECT_FALSE(graph.numbHoriz());
    EXPECT_FALSE(graph.numbVert());
    EXPECT_EQ(graph.zoomTime(), 200);

    graph.setAspectRatio(0); // ignored
    EXPECT_EQ(graph.aspectRatio(), 1.0);
    graph.setZoomTime(-5);
    EXPECT_EQ(graph.zoomTime(), 0);
    EXPECT_TRUE(graph.setProperty("GridStyle", LineGraph::gsAxises));
    EXPECT_EQ(graph.gridStyle(), LineGraph::gsAxises);
}

TEST(LineGraph, VisibleAreaIsNormalisedSignalledAndRepaintedAtOnce)
{
    LineGraph graph;
    graph.resize(200, 100);
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    QSignalSpy visChanges(&graph, &LineGraph::visChange);
    const std::uint64_t drawn = graph.pictureDrawCount();

    graph.setVisibleArea(15, 0, 0, 255);
    EXPECT_EQ(graph.visibleArea(), (VisibleArea{0, 0, 15, 255}));
    EXPECT_EQ(visChanges.count(), 1);
    EXPECT_EQ(graph.pictureDrawCount(), drawn + 1); // no event loop needed
    EXPECT_FALSE(graph.pictureIsStale());

    graph.setVisibleArea(3, 0, 3, 9);
    graph.setVisibleArea(0, 7, 15, 7);
    EXPECT_EQ(graph.visibleArea(), (VisibleArea{0, 0, 15, 255}));
    EXPECT_EQ(visChanges.count(), 1);
}

TEST(LineGraph, SeriesChangesAndNumbVertMarkThePictureStaleAndSignal)
{
    LineGraph graph;
    QSignalSpy changes(&graph, &LineGraph::changed);
    PointSeries& series = graph.addSeries();
    graph.grab();
    EXPECT_FALSE(graph.pictureIsStale());
    series.addPoint(1, 2);
    EXPECT_TRUE(graph.pictureIsStale());
    EXPECT_EQ(changes.count(), 2); // the add and the point

    graph.grab();
    const int left = graph.plotRect().left;
    graph.setNumbVert(false);
    EXPECT_TRUE(graph.pictureIsStale());
    EXPECT_LT(graph.plotRect().left, left);
    EXPECT_EQ(changes.count(), 3);
    graph.setNumbVert(false); // same value: nothing
    EXPECT_EQ(changes.count(), 3);

    EXPECT_THROW(graph.series(1), std::out_of_range);
}

TEST(LineGraph, PictureIsReusedUntilStaleOrResized)
{
    ScannerGraph s;
    s.feedRow();
    s.render();
    const std::uint64_t drawn = s.graph.pictureDrawCount();
    s.render();
    s.render();
    EXPECT_EQ(s.graph.pictureDrawCount(), drawn);

    s.graph.series(0).addPoint(3, 99);
    s.render();
    EXPECT_EQ(s.graph.pictureDrawCount(), drawn + 1);

    s.graph.resize(400, 150);
    s.render();
    EXPECT_EQ(s.graph.pictureDrawCount(), drawn + 2);
    EXPECT_EQ(s.graph.picture().size(), QSize(400, 150));
}

TEST(LineGraph, ScannerGridShowsGreyLinesEveryFiftyAndTheAxisInBlack)
{
    ScannerGraph s;
    EXPECT_EQ(s.graph.plotRect(), (PlotRect{1, 1, 551, 199}));
    const QImage& image = s.render();
    const QRgb grey = rgb(0x808080), black = rgb(colorBlack), white = rgb(colorWhite);
    // Column 100 lies between vertical grid lines (x = 0, 5, 10, 15 at columns 1, 184, 367, 551).
    EXPECT_EQ(image.pixel(100, 199), black); // y = 0, the x axis
    for (int row : {161, 122, 83, 44, 5})    // y = 50 .. 250
        EXPECT_EQ(image.pixel(100, row), grey) << "row " << row;
    EXPECT_EQ(image.pixel(100, 160), white);
    EXPECT_EQ(image.pixel(100, 198), white);
    EXPECT_EQ(image.pixel(1, 100), black);  // x = 0, the y axis
    EXPECT_EQ(image.pixel(184, 100), grey); // x = 5
    EXPECT_EQ(image.pixel(551, 100), grey); // x = 15
    // The lowered frame lies one pixel outside the plotting rectangle.
    EXPECT_EQ(image.pixel(100, 0), s.graph.resolveColor(colorButtonShadow).rgb());
    EXPECT_EQ(image.pixel(100, 200), s.graph.resolveColor(colorButtonHighlight).rgb());
}

TEST(LineGraph, RomRowIsOneBlackPolylineThroughEveryPoint)
{
    ScannerGraph s;
    s.feedRow();
    const QImage& image = s.render();
    const QRgb black = rgb(colorBlack);
    const PixelMap map(s.graph.visibleArea(), s.graph.plotRect());
    for (int i = 0; i < 16; ++i) {
        const PixelPoint p = map.pixelOf(i, romRow[static_cast<std::size_t>(i)]);
        EXPECT_EQ(image.pixel(p.x, p.y), black) << "point " << i;
    }
    // Every column between the axes holds a black pixel off the axis rows: the line is unbroken.
    for (int column = 2; column < 551; ++column) {
        bool found = false;
        for (int row = 2; row < 198 && !found; ++row)
            found = image.pixel(column, row) == black;
        EXPECT_TRUE(found) << "column " << column;
    }
}

TEST(LineGraph, SinglePointInRangeIsOnePixelAndLinesStopAtThePlottingRectangle)
{
    ScannerGraph s;
    s.graph.series(0).addPoint(7, 100);
    const PixelMap map(s.graph.visibleArea(), s.graph.plotRect());
    const PixelPoint p = map.pixelOf(7, 100);
    QImage image = s.render();
    EXPECT_EQ(image.pixel(p.x, p.y), rgb(colorBlack));
    EXPECT_NE(image.pixel(p.x + 1, p.y), rgb(colorBlack));

    // Points 8..15 stay after a change to 8 cells: the line runs on towards x = 8 (y from 97 to 113)
    // up to the right edge of the plotting rectangle and no further.
    s.feedRow();
    s.graph.setVisibleArea(0, 0, 7, 255);
    image = s.render();
    bool reachesEdge = false;
    for (int row = map.rowOf(113); row <= map.rowOf(97); ++row)
        reachesEdge = reachesEdge || image.pixel(550, row) == rgb(colorBlack);
    EXPECT_TRUE(reachesEdge);
    for (int row = 0; row < 201; ++row)
        EXPECT_NE(image.pixel(552, row), rgb(colorBlack)) << "row " << row; // the frame, untouched
}

TEST(LineGraph, SystemColoursComeFromThePalette)
{
    LineGraph graph;
    EXPECT_EQ(graph.resolveColor(colorButtonFace), graph.palette().color(QPalette::Button));
    EXPECT_EQ(graph.resolveColor(colorButtonShadow), graph.palette().color(QPalette::Dark));
    EXPECT_EQ(graph.resolveColor(colorHighlight), graph.palette().color(QPalette::Highlight));
    EXPECT_EQ(graph.resolveColor(0x0000FF), QColor(255, 0, 0));
    graph.grab();
    EXPECT_EQ(graph.picture().pixel(30, 20) & 0xFFFFFF,
              graph.palette().color(QPalette::Button).rgb() & 0xFFFFFF);
}

TEST(LineGraph, ShiftClickShowsTheValuesUnderThePointerUntilRelease)
{
    ScannerGraph s;
    // Column 276 is x = 275 * 15 / 550 = 7.5; row 100 is y = 99 * 255 / 198 = 127.5.
    QTest::mousePress(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(276, 100));
    auto* hint = qobject_cast<QLabel*>(s.graph.valueHint());
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->text().isEmpty());
    EXPECT_TRUE(hint->text().contains("7.5"));
    EXPECT_TRUE(hint->text().contains("127.5"));
    EXPECT_GE(hint->width(), 80);
    QTest::mouseRelease(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(276, 100));
    EXPECT_EQ(s.graph.valueHint(), nullptr);

    // Without Shift, or outside the plotting rectangle, nothing shows.
    QTest::mousePress(&s.graph, Qt::LeftButton, Qt::NoModifier, QPoint(276, 100));
    EXPECT_EQ(s.graph.valueHint(), nullptr);
    QTest::mouseRelease(&s.graph, Qt::LeftButton, Qt::NoModifier, QPoint(276, 100));
    QTest::mousePress(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(0, 100)); // on the frame
    EXPECT_EQ(s.graph.valueHint(), nullptr);
    QTest::mouseRelease(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(0, 100));

    // A labelling function supplies the texts.
    s.graph.setXLabeling([](double v) { return QStringLiteral("cell %1").arg(v); });
    QTest::mousePress(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(276, 100));
    hint = qobject_cast<QLabel*>(s.graph.valueHint());
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->text().contains("cell 7.5"));
    QTest::mouseRelease(&s.graph, Qt::LeftButton, Qt::ShiftModifier, QPoint(276, 100));
}

TEST(LineGraph, RightDragPansAndZoomDragShowsTheMarkedRectangle)
{
    ScannerGraph s;
    s.graph.setMousePan(LineGraph::maRight);
    // Dragging 55 pixels to the right moves the area 1.5 units to the left.
    QTest::mousePress(&s.graph, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
    QTest::mouseMove(&s.graph, QPoint(255, 100));
    QTest::mouseRelease(&s.graph, Qt::RightButton, Qt::NoModifier, QPoint(255, 100));
    EXPECT_NEAR(s.graph.visibleArea().x1, -1.5, 1e-9);
    EXPECT_NEAR(s.graph.visibleArea().x2, 13.5, 1e-9);

    s.graph.setVisibleArea(0, 0, 15, 255);
    s.graph.setMousePan(LineGraph::maNone);
    s.graph.setMouseZoom(LineGraph::maCtrl);
    s.graph.setZoomTime(0); // no animation: the area is set on release
    QTest::mousePress(&s.graph, Qt::LeftButton, Qt::ControlModifier, QPoint(1, 100));
    QTest::mouseMove(&s.graph, QPoint(276, 199));
    QTest::mouseRelease(&s.graph, Qt::LeftButton, Qt::ControlModifier, QPoint(276, 199));
    EXPECT_NEAR(s.graph.visibleArea().x1, 0, 1e-9);
    EXPECT_NEAR(s.graph.visibleArea().x2, 7.5, 1e-9);
    EXPECT_NEAR(s.graph.visibleArea().y1, 0, 1e-9);
    EXPECT_NEAR(s.graph.visibleArea().y2, 127.5, 1e-9);
}
