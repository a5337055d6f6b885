// Resolution of 32-bit colour values (red in the low byte) to Qt colours. A value with the high bit
// set names a system colour by its index in the low byte; it is taken from the palette.
#pragma once

#include "plot3d/PlotTypes.h"

#include <QColor>
#include <QPalette>

namespace plot3d {

QColor toQColor(ColorValue value, const QPalette& palette);
// The same as a plain colour value (high bit clear).
ColorValue resolveColorValue(ColorValue value, const QPalette& palette);

} // namespace plot3d
