// SceneRenderer: draws the plot's scene on a SceneCanvas in its fixed order: the walls through the
// near corner, the hidden box edges, the surface cells back to front, the front box edges, and the
// axes. While drawing the surface it fills the hit matrices. No Qt here.
#pragma once

#include "plot3d/MatrixStorage.h"
#include "plot3d/PlotMath.h"
#include "plot3d/PlotTypes.h"
#include "plot3d/SceneCanvas.h"

#include <cstdint>

namespace plot3d {

// Screen x, screen y and depth per grid point. Writes outside a matrix's bounds are dropped.
struct HitMatrices
{
    MatrixStorage<std::int32_t>& x;
    MatrixStorage<std::int32_t>& y;
    MatrixStorage<std::int32_t>& depth;
};

class SceneRenderer
{
  public:
    // The renderer keeps references: settings, rotation and data must outlive it.
    SceneRenderer(const PlotSettings& settings, const Rotation& rotation, const MatrixStorage<double>& data);

    // Draws the scene and returns the part of the hit matrices it filled.
    HitExtent draw(SceneCanvas& canvas, HitMatrices hits) const;

    // The steps, public so each can be checked on its own.
    void drawFaces(SceneCanvas& canvas) const;
    void drawBoxEdges(SceneCanvas& canvas, int fromCorner, ColorValue color) const;
    HitExtent drawSurface(SceneCanvas& canvas, HitMatrices hits) const;
    void drawAxis(SceneCanvas& canvas, PlotAxis axis) const;

  private:
    const PlotSettings& s_;
    const Rotation& r_;
    const MatrixStorage<double>& data_;
    Projection projection_;
    ZMap zMap_;
};

} // namespace plot3d
