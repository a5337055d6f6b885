#include "vantrell/grid/core/DisplayOptions.h"

namespace vantrell {

DisplayMode DisplayOptions::mode() const
{
    if (selected >= 1 && selected <= 6)
        return static_cast<DisplayMode>(selected);
    return DisplayMode::Data;
}

void DisplayOptions::leavePage()
{
    const bool wasShown = shown;
    shown = false;
    if (wasShown && selected >= 1 && selected <= 5) {
        remembered = selected;
        if (selected != 1)
            selected = 1;
    }
}

void DisplayOptions::enterFuelPage()
{
    if (remembered >= 1 && remembered <= 5)
        selected = remembered;
    shown = true;
}

} // namespace vantrell
