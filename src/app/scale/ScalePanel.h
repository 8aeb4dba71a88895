#pragma once

#include "app/scale/AnalogScale.h"
#include "core/MaxMinTracker.h"
#include "core/ModelTable.h"

#include <QObject>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

namespace vireo {

class ClickPanel;
class FormDialogs;

// The analog scale: the dial on the panel KD with its zoom panels, and the hidden panel Panel3
// with the scale limits Setmax/SetMin and the max/min readout.
class ScalePanel : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    ScalePanel(QWidget *window, FormDialogs &dialogs);

    // The model's count class: the scale's span and the starting limits and texts.
    void applyCounts(const CountClass &counts);
    // The running maximum and minimum with their units; while the panel is hidden its labels
    // take them only when it is shown.
    void showMaxMin(const std::string &max, const std::string &min, const std::string &maxUnit,
                    const std::string &minUnit);
    float limitHigh() const { return LimitHigh; }
    float limitLow() const { return LimitLow; }

    void KDsetup(int Mode);
    void KDrun(std::int32_t Position);
    void KdFdClick();
    void KDResize();
    void SetmaxExit();
    void SetMinExit();
    bool SetmaxKeyPress(QChar key);

signals:
    // The dial was enlarged over the chart, or restored.
    void enlargedChanged(bool enlarged);

private:
    void wire();
    bool readScaleLimit(const QLineEdit *edit, float &limit);
    void showScaleImage();
    void showWaitingReadout();

    FormDialogs &m_dialogs;
    QFrame *Panel3;
    QLabel *MinText, *MaxText, *MinTextU, *MaxTextU;
    QCheckBox *SetMaxB, *SetMinB;
    QLineEdit *Setmax, *SetMin;
    QFrame *KD;
    QLabel *KD1;
    ClickPanel *KdFd, *KdSx;
    CountClass counts;
    float LimitHigh = 0;
    float LimitLow = 0;
    AnalogScale m_scale;
    QRect m_savedScaleBounds;
    // The readout the hidden panel's labels take when it is shown.
    std::optional<MaxMinReadout> m_waitingReadout;
};

} // namespace vireo
