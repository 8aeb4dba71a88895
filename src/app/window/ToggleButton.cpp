#include "app/window/ToggleButton.h"

namespace vireo {

ToggleButton::ToggleButton(const QString &caption, int groupIndex, QWidget *parent)
    : QToolButton(parent), m_group(groupIndex)
{
    setText(caption);
    setCheckable(true);
    setAutoRaise(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void ToggleButton::nextCheckState()
{
    QToolButton::nextCheckState();
    if (!isChecked() || parentWidget() == nullptr)
        return;
    const auto group = parentWidget()->findChildren<ToggleButton *>(Qt::FindDirectChildrenOnly);
    for (ToggleButton *other : group) {
        if (other != this && other->groupIndex() == m_group)
            other->setDown(false);
    }
}

} // namespace vireo
