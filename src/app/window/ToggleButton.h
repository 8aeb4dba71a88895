#pragma once

#include <QString>
#include <QToolButton>

namespace vireo {

// A toggle button of an exclusive group that allows every button to be up: pressing one
// releases the others without running their handlers.
class ToggleButton : public QToolButton {
    Q_OBJECT
public:
    ToggleButton(const QString &caption, int groupIndex, QWidget *parent);

    int groupIndex() const { return m_group; }
    // Sets the state as code does: no click handler runs.
    void setDown(bool down) { setChecked(down); }
    bool isDown() const { return isChecked(); }

protected:
    // A click presses the button before its handler runs, so the handler sees its group
    // already released.
    void nextCheckState() override;

private:
    int m_group;
};

} // namespace vireo
