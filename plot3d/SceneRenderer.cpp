#include "plot3d/SceneRenderer.h"

#include "plot3d/AxisScale.h"

#include <algorithm>

namespace plot3d {

SceneRenderer::SceneRenderer(const PlotSettings& settings, const Rotation& rotation,
                             const MatrixStorage<double>& data)
    : s_(settings), r_(rotation), data_(data), projection_(makeProjection(settings, rotation)),
      zMap_(zMap(settings.rangeZLow, settings.rangeZHigh))
{}

HitExtent SceneRenderer::draw(SceneCanvas& canvas, HitMatrices hits) const
{
    const bool box = s_.boundBoxStyle != bbNone;
    if (box) {
        drawFaces(canvas);
        drawBoxEdges(canvas, farCorner(r_), canvas.resolve(s_.colorCubeHidLin));
    }
    const HitExtent extent = drawSurface(canvas, hits);
    if (box)
        drawBoxEdges(canvas, nearCorner(r_), canvas.resolve(s_.colorCubeFrame));
    if (s_.visibleXCoords)
        drawAxis(canvas, PlotAxis::X);
    if (s_.visibleYCoords)
        drawAxis(canvas, PlotAxis::Y);
    if (s_.visibleZCoords)
        drawAxis(canvas, PlotAxis::Z);
    return extent;
}

void SceneRenderer::drawFaces(SceneCanvas& canvas) const
{
    const ColorValue low = canvas.resolve(s_.colorCubeFaceLow);
    const ColorValue high = canvas.resolve(s_.colorCubeFaceHigh);
    const ColorValue outline = canvas.resolve(s_.colorCubeFrame);
    for (int face : kCornerFaces[static_cast<std::size_t>(nearCorner(r_))]) {
        std::array<ScreenPoint, 4> corners;
        for (std::size_t i = 0; i < 4; ++i)
            corners[i] = projection_.project(boxCorner(kFaceCorners[static_cast<std::size_t>(face)][i]));
        std::optional<ColorValue> fill;
        if (s_.boundBoxStyle == bbFaces)
            fill = shadeColor(low, high, faceShade(r_, face));
        canvas.polygon(corners, fill, outline);
    }
}

void SceneRenderer::drawBoxEdges(SceneCanvas& canvas, int fromCorner, ColorValue color) const
{
    const ScreenPoint from = projection_.project(boxCorner(fromCorner));
    for (int neighbour : kCornerNeighbours[static_cast<std::size_t>(fromCorner)])
        canvas.line(from, projection_.project(boxCorner(neighbour)), color);
}

HitExtent SceneRenderer::drawSurface(SceneCanvas& canvas, HitMatrices hits) const
{
    const int nc = data_.columns();
    const int nr = data_.rows();
    ColorCoding coding;
    coding.scaleLow = s_.colorScaleLow;
    coding.scaleHigh = s_.colorScaleHigh;
    coding.threeColors = s_.colorCodingMode == ccmThreeColors;
    coding.low = canvas.resolve(s_.colorLow);
    coding.mid = canvas.resolve(s_.colorMid);
    coding.high = canvas.resolve(s_.colorHigh);
    const bool meshVisible = s_.meshVisible;
    const ColorValue mesh = canvas.resolve(s_.colorMesh);

    static constexpr std::array<std::array<int, 2>, 4> kCornerSteps{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    for (const auto& cell : cellSequence(nc, nr, cellOrder(s_.viewAngleX, s_.viewAngleZ))) {
        const int c = cell[0];
        const int r = cell[1];
        std::array<ScreenPoint, 4> corners;
        std::array<double, 4> values{};
        for (std::size_t i = 0; i < 4; ++i) {
            const int cc = c + kCornerSteps[i][0];
            const int rr = r + kCornerSteps[i][1];
            values[i] = data_.at(cc, rr);
            corners[i] =
                projection_.project({gridCoordinate(cc, nc), gridCoordinate(rr, nr), zMap_(values[i])});
        }
        hits.x.set(c, r, corners[0].x);
        hits.y.set(c, r, corners[0].y);
        hits.depth.set(c, r, projection_.hitDepth(gridOffset(c, nc), gridOffset(r, nr), zMap_(values[0])));

        const double value = s_.colorCodeAvg ? (values[0] + values[1] + values[2] + values[3]) / 4.0
                                             : *std::max_element(values.begin(), values.end());
        ColorValue color = coding(value);
        if (!canvas.beforeCell(c, r, value, color, corners))
            continue;
        canvas.polygon(corners, color, meshVisible ? mesh : color);
    }
    return nc < 2 || nr < 2 ? HitExtent{} : HitExtent{nc - 1, nr - 1};
}

void SceneRenderer::drawAxis(SceneCanvas& canvas, PlotAxis axis) const
{
    double low = 0, high = 0;
    int minTick = 3, decPlace = 1;
    ColorValue color = 0;
    switch (axis) {
    case PlotAxis::X:
        low = s_.rangeXLow, high = s_.rangeXHigh, minTick = s_.minTickX, decPlace = s_.decPlaceX;
        color = s_.colorXCoords;
        break;
    case PlotAxis::Y:
        low = s_.rangeYLow, high = s_.rangeYHigh, minTick = s_.minTickY, decPlace = s_.decPlaceY;
        color = s_.colorYCoords;
        break;
    case PlotAxis::Z:
        low = s_.rangeZLow, high = s_.rangeZHigh, minTick = s_.minTickZ, decPlace = s_.decPlaceZ;
        color = s_.colorZCoords;
        break;
    }
    color = canvas.resolve(color);
    const AxisEdge edge = axisEdge(axis, r_);
    const ScreenPoint lowEnd = projection_.project(boxCorner(edge.low));
    const ScreenPoint highEnd = projection_.project(boxCorner(edge.high));
    canvas.line(lowEnd, highEnd, color);

    const int decimals = resolveDecimals(decPlace, low, high);
    const int zeroHeight = canvas.zeroHeight();
    for (double t : computeTicks(low, high, minTick).ticks) {
        const ScreenPoint at = tickPoint(lowEnd, highEnd, t, low, high);
        std::string label = tickLabel(t, low, high, decimals);
        canvas.beforeLabel(axis, t, label);
        const TickPlacement place =
            placeTick(axis, at, canvas.textWidth(label), zeroHeight, s_.viewAngleX, s_.viewAngleZ);
        canvas.line(at, place.markEnd, color);
        canvas.text(place.labelTopLeft, label, color);
    }
}

} // namespace plot3d
