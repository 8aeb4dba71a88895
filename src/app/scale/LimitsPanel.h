#pragma once

#include "core/Judgement.h"

#include <QObject>
#include <QString>

#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QTimer;
class QWidget;

namespace vireo {

class ShapeWidget;

// The limits panel Panel4: the limit boxes T1HI and T1LO with their repair timers Timer4 and
// Timer5, and the verdict of each logged reading in T1VALUE, Shape1 and judge.
class LimitsPanel : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    explicit LimitsPanel(QWidget *window);

    // The locale's decimal separator, with which the panel reads, mends and filters numbers.
    void setDecimalSeparator(const std::string &decimalSep) { DecimalSep = decimalSep; }
    // Shows a logged reading and whether it lies within the limits; the verdict shown.
    Verdict judgeReading(const std::string &valueText);
    // The enlarged chart covers the panel.
    void setCovered(bool covered);

    void T1HIChange();
    void T1LOChange();
    void Timer4Timer();
    void Timer5Timer();
    bool T1HIKeyPress(QChar key);

private:
    void wire();

    std::string DecimalSep;
    QFrame *Panel4;
    QLineEdit *T1HI, *T1VALUE, *T1LO;
    ShapeWidget *Shape1;
    QLabel *judge;
    QTimer *Timer4, *Timer5;
};

} // namespace vireo
