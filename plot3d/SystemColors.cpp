#include "plot3d/SystemColors.h"

namespace plot3d {

namespace {

QPalette::ColorRole roleOfSystemColor(int index)
{
    switch (index) {
    case 0:  // scroll bar
    case 15: // button face
    case 10: // active border
    case 11: // inactive border
        return QPalette::Button;
    case 1: // desktop
    case 4: // menu
        return QPalette::Window;
    case 2:  // active caption
    case 13: // highlight
        return QPalette::Highlight;
    case 3:  // inactive caption
    case 12: // application workspace
        return QPalette::Mid;
    case 5: // window
        return QPalette::Base;
    case 6:  // window frame
    case 21: // dark 3D shadow
        return QPalette::Shadow;
    case 7: // menu text
        return QPalette::WindowText;
    case 8:  // window text
    case 19: // inactive caption text
        return QPalette::Text;
    case 9:  // caption text
    case 14: // highlighted text
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Dark;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    case 22: // 3D light
        return QPalette::Midlight;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor toQColor(ColorValue value, const QPalette& palette)
{
    if (colors::isSystemColor(value))
        return palette.color(QPalette::Active, roleOfSystemColor(static_cast<int>(value & 0xFF)));
    return QColor(colors::redOf(value), colors::greenOf(value), colors::blueOf(value));
}

ColorValue resolveColorValue(ColorValue value, const QPalette& palette)
{
    if (!colors::isSystemColor(value))
        return value;
    const QColor color = toQColor(value, palette);
    return colors::rgb(color.red(), color.green(), color.blue());
}

} // namespace plot3d
