// The tool pages' font: the small dialog font of the editor's window (11 pixels), so the pages' fixed
// layouts hold their captions.
#pragma once

#include <QFont>
#include <QWidget>

namespace vantrell {

inline void usePageFont(QWidget* page, int pixelSize = 11)
{
    QFont f = page->font();
    f.setPixelSize(pixelSize);
    page->setFont(f);
}

} // namespace vantrell
