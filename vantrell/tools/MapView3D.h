// The 3D map view (frame_map3d): the current map as a wireframe beside the grid, with the selected
// block's dots in white. Drawn into a cached image (device pixels, so it stays sharp on high-DPI
// screens) that the canvas paints in one piece, so a redraw never flickers.
//
// Drawing unit: the projection works in units of an area W units wide. The unit is chosen by
// MapViewModel::unitsPerPixel so that the largest figure any map can make at the closest zoom (D = 0.1,
// any spin and tilt) still fits the canvas; every larger D draws the same figure smaller around the
// same centre, so the figure stays inside at every D from 0.1 to 4.0.
#pragma once

#include "vantrell/shell/EditorState.h"
#include "vantrell/tools/MapViewModel.h"

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
};

} // namespace vantrell
