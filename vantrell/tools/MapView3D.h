// The 3D map view (frame_map3d): the current map as a wireframe beside the grid, with the selected
// block's dots in white. Drawn into a cached image (device pixels, so it stays sharp on high-DPI
// screens) that the canvas paints in one piece, so a redraw never flickers.
//
// Drawing unit: the projection works in units of an area W units wide. The unit is the one at which any
// map at any spin and tilt fits the canvas at the start zoom D = 2.5, so the start view is as large as
// it can be for every map. When a smaller D makes the current figure (this map, these angles) reach the
// canvas's edge, the unit grows just enough to keep it inside: the figure stays inside at every D from
// 0.1 to 4.0, and zooming in stops growing it once it fills the canvas.
#pragma once

#include "vantrell/editor/EditorState.h"
#include "vantrell/grid/core/CellTrace.h"
#include "vantrell/tools/core/MapViewModel.h"

#include <QGroupBox>
#include <QImage>

namespace vantrell {

class MapView3D : public QGroupBox
{
    Q_OBJECT
  public:
    // Uses the state for its whole lifetime; does not own it.
    explicit MapView3D(EditorState& state, QWidget* parent = nullptr);

    // Start values: spin 290, tilt 220, D 2.5.
    void resetView();
    // The grid's saved selection: 1-based rows and columns without the header row and column.
    void setSelection(int top, int left, int bottom, int right);
    // Redraws from the ROM buffer and the current map.
    void drawView();
    // A key press that reached the main window's key handler: the arrows turn and tilt, Shift+Up/Down
    // zoom. Every key redraws the view. Returns true for the arrow keys.
    bool viewKey(int qtKey, Qt::KeyboardModifiers mods);

    const MapViewModel& model() const { return model_; }
    // Which cells carry a ring (differ from the reference image), by ROM address.
    void setRinged(std::function<bool(std::uint32_t address)> ringed) { model_.setRinged(std::move(ringed)); }
    // The live trace on the shown map: the running cell's dot filled yellow, the four around it with
    // orange discs by weight, the trail with fading cyan rings. Redraws when it changed.
    void setTrace(const CellTrace& trace);
    const CellTrace& trace() const { return trace_; }
    // The last drawing and where its units lie on the canvas (for tests and tools).
    const ViewDrawing& lastDrawing() const { return drawing_; }
    QPointF canvasPoint(int unitX, int unitY) const;
    QWidget* canvas() const { return canvas_; }
    // The cached picture of the canvas (device pixels).
    const QImage& picture() const { return picture_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void render();

    EditorState& state_;
    MapViewModel model_;
    ViewDrawing drawing_;
    QImage picture_;
    QWidget* canvas_ = nullptr;
    QPointF origin_; // canvas pixel of unit (0, 0)
    double unitsPerPixel_ = 1;
    CellTrace trace_;
};

} // namespace vantrell
