#include "app/scale/LimitsPanel.h"

#include "app/window/EditKeyFilter.h"
#include "app/window/ShapeWidget.h"
#include "app/window/WindowDesign.h"
#include "core/KeyFilters.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace vireo {

namespace {

void setVerdictColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    if (pal.color(QPalette::Base) == colour && pal.color(QPalette::Window) == colour)
        return;
    pal.setColor(QPalette::Base, colour);
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
}

QTimer *repairTimer(QObject *owner, const char *name)
{
    auto *t = new QTimer(owner);
    t->setObjectName(QLatin1String(name));
    t->setInterval(2000);
    return t;
}

} // namespace

LimitsPanel::LimitsPanel(QWidget *window)
    : QObject(window), Panel4(designed<QFrame>(window, "Panel4")),
      T1HI(designed<QLineEdit>(window, "T1HI")), T1VALUE(designed<QLineEdit>(window, "T1VALUE")),
      T1LO(designed<QLineEdit>(window, "T1LO")), Shape1(designed<ShapeWidget>(window, "Shape1")),
      judge(designed<QLabel>(window, "judge")), Timer4(repairTimer(this, "Timer4")),
      Timer5(repairTimer(this, "Timer5"))
{
    wire();
}

void LimitsPanel::wire()
{
    connect(T1HI, &QLineEdit::textChanged, this, &LimitsPanel::T1HIChange);
    connect(T1LO, &QLineEdit::textChanged, this, &LimitsPanel::T1LOChange);
    filterKeys(T1HI, [this](QChar k) { return T1HIKeyPress(k); });
    filterKeys(T1LO, [this](QChar k) { return T1HIKeyPress(k); });
    connect(Timer4, &QTimer::timeout, this, &LimitsPanel::Timer4Timer);
    connect(Timer5, &QTimer::timeout, this, &LimitsPanel::Timer5Timer);
}

Verdict LimitsPanel::judgeReading(const std::string &valueText)
{
    // Setting even the same text lays the box out and repaints it again.
    const QString shown = QString::fromStdString(valueText);
    if (T1VALUE->text() != shown)
        T1VALUE->setText(shown);
    const Verdict verdict =
        vireo::judge(valueText, T1HI->text().toStdString(), T1LO->text().toStdString(), DecimalSep);
    const bool pass = verdict == Verdict::Pass;
    const QColor colour = pass ? QColor(0, 128, 0) : QColor(255, 0, 0);
    setVerdictColour(T1VALUE, colour);
    setVerdictColour(judge, colour);
    Shape1->setBrushColor(colour);
    const QString caption = pass ? QStringLiteral("Pass") : QStringLiteral("Fail");
    if (judge->text() != caption)
        judge->setText(caption);
    return verdict;
}

void LimitsPanel::setCovered(bool covered)
{
    Panel4->setVisible(!covered);
}

void LimitsPanel::T1HIChange()
{
    Timer4->stop();
    Timer4->start();
}

void LimitsPanel::T1LOChange()
{
    Timer5->stop();
    Timer5->start();
}

void LimitsPanel::Timer4Timer()
{
    Timer4->stop();
    if (const auto repaired = repairedHighLimit(T1HI->text().toStdString(), DecimalSep))
        T1HI->setText(QString::fromLatin1(repaired->data(), repaired->size()));
}

void LimitsPanel::Timer5Timer()
{
    Timer5->stop();
    if (const auto repaired = repairedLowLimit(T1LO->text().toStdString(), DecimalSep))
        T1LO->setText(QString::fromLatin1(repaired->data(), repaired->size()));
}

bool LimitsPanel::T1HIKeyPress(QChar key)
{
    return limitKeyAccepted(key.unicode(), DecimalSep);
}

} // namespace vireo
