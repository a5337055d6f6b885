// PainterCanvas: the SceneCanvas over a QPainter, used by SurfacePlot to draw on its off-screen image.
#pragma once

#include "plot3d/SceneCanvas.h"

#include <QFontMetrics>
#include <QPalette>

#include <functional>

class QPainter;

namespace plot3d {

class PainterCanvas : public SceneCanvas
{
  public:
    using CellHook = std::function<bool(int, int, double, ColorValue&, const std::array<ScreenPoint, 4>&)>;
    using LabelHook = std::function<void(PlotAxis, double, std::string&)>;

    // The painter must outlive the canvas; its font is set to the 8-point label font.
    PainterCanvas(QPainter& painter, const QPalette& palette);

    void setCellHook(CellHook hook) { cellHook_ = std::move(hook); }
    void setLabelHook(LabelHook hook) { labelHook_ = std::move(hook); }

    ColorValue resolve(ColorValue color) override;
    void polygon(const std::array<ScreenPoint, 4>& corners, std::optional<ColorValue> fill,
                 ColorValue outline) override;
    void line(ScreenPoint from, ScreenPoint to, ColorValue color) override;
    bool beforeCell(int column, int row, double value, ColorValue& color,
                    const std::array<ScreenPoint, 4>& corners) override;
    int textWidth(const std::string& text) override;
    int zeroHeight() override;
    void beforeLabel(PlotAxis axis, double tick, std::string& text) override;
    void text(ScreenPoint topLeft, const std::string& text, ColorValue color) override;

  private:
    QPainter& painter_;
    QPalette palette_;
    QFontMetrics metrics_;
    CellHook cellHook_;
    LabelHook labelHook_;
};

} // namespace plot3d
