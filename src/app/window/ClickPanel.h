#pragma once

#include <QLabel>

namespace vireo {

// A panel or picture that acts as a button: clicking it while enabled emits clicked().
class ClickPanel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace vireo
