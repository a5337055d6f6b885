#include "vantrell/shell/ClickLabel.h"

#include <QMouseEvent>

namespace vantrell {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace vantrell
