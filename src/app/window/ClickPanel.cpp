#include "app/window/ClickPanel.h"

#include <QMouseEvent>

namespace vireo {

void ClickPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace vireo
