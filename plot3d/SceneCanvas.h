// SceneCanvas: what the scene renderer draws on. The widget implements it over a painter on its
// off-screen image; tests implement it to record what is drawn and in which order.
#pragma once

#include "plot3d/PlotTypes.h"

#include <array>
#include <optional>
#include <string>

namespace plot3d {

class SceneCanvas
{
  public:
    virtual ~SceneCanvas() = default;

    // A colour value as plain red, green and blue (system colours resolved).
    virtual ColorValue resolve(ColorValue color) = 0;

    // A quadrilateral, filled when fill is set, outlined in `outline`.
    virtual void polygon(const std::array<ScreenPoint, 4>& corners, std::optional<ColorValue> fill,
                         ColorValue outline) = 0;
    virtual void line(ScreenPoint from, ScreenPoint to, ColorValue color) = 0;

    // Called before a surface cell is filled: may change the colour; false leaves the cell out.
    virtual bool beforeCell(int column, int row, double value, ColorValue& color,
                            const std::array<ScreenPoint, 4>& corners)
    {
        (void)column, (void)row, (void)value, (void)color, (void)corners;
        return true;
    }

    // Axis text in the label font: its width, the height of "0", and writing it with its top-left
    // corner at a point on a transparent background.
    virtual int textWidth(const std::string& text) = 0;
    virtual int zeroHeight() = 0;
    // Called before a label is written: may change the text.
    virtual void beforeLabel(PlotAxis axis, double tick, std::string& text)
    {
        (void)axis, (void)tick, (void)text;
    }
    virtual void text(ScreenPoint topLeft, const std::string& text, ColorValue color) = 0;
};

} // namespace plot3d
