#include "app/scale/ScalePanel.h"

#include "app/window/ClickPanel.h"
#include "app/window/EditKeyFilter.h"
#include "app/window/FormDialogs.h"
#include "app/window/WindowDesign.h"
#include "core/KeyFilters.h"
#include "core/NumberText.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace vireo {

namespace {

// Runs a handler whenever the watched widget takes one kind of event.
class EventWatcher : public QObject {
public:
    EventWatcher(QObject *parent, QEvent::Type type, std::function<void()> handler)
        : QObject(parent), m_type(type), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type)
            m_handler();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_handler;
};

} // namespace

ScalePanel::ScalePanel(QWidget *window, FormDialogs &dialogs)
    : QObject(window), m_dialogs(dialogs), Panel3(designed<QFrame>(window, "Panel3")),
      MinText(designed<QLabel>(window, "MinText")), MaxText(designed<QLabel>(window, "MaxText")),
      MinTextU(designed<QLabel>(window, "MinTextU")),
      MaxTextU(designed<QLabel>(window, "MaxTextU")),
      SetMaxB(designed<QCheckBox>(window, "SetMaxB")),
      SetMinB(designed<QCheckBox>(window, "SetMinB")),
      Setmax(designed<QLineEdit>(window, "Setmax")), SetMin(designed<QLineEdit>(window, "SetMin")),
      KD(designed<QFrame>(window, "KD")), KD1(designed<QLabel>(window, "KD1")),
      KdFd(designed<ClickPanel>(window, "KdFd")), KdSx(designed<ClickPanel>(window, "KdSx"))
{
    wire();
}

void ScalePanel::wire()
{
    KD->installEventFilter(new EventWatcher(KD, QEvent::Resize, [this] { KDResize(); }));
    Panel3->installEventFilter(
        new EventWatcher(Panel3, QEvent::ShowToParent, [this] { showWaitingReadout(); }));
    connect(KdFd, &ClickPanel::clicked, this, &ScalePanel::KdFdClick);
    connect(KdSx, &ClickPanel::clicked, this, &ScalePanel::KdFdClick);
    connect(Setmax, &QLineEdit::textChanged, this, &ScalePanel::SetmaxExit);
    connect(SetMin, &QLineEdit::textChanged, this, &ScalePanel::SetMinExit);
    connect(SetMaxB, &QCheckBox::clicked, this, &ScalePanel::SetmaxExit);
    connect(SetMinB, &QCheckBox::clicked, this, &ScalePanel::SetMinExit);
    filterKeys(Setmax, [this](QChar k) { return SetmaxKeyPress(k); });
    filterKeys(SetMin, [this](QChar k) { return SetmaxKeyPress(k); });
}

void ScalePanel::applyCounts(const CountClass &classCounts)
{
    counts = classCounts;
    LimitHigh = counts.LimitHigh;
    LimitLow = counts.LimitLow;
    if (counts.ScaleKind != "4") {
        const auto full = QString::number(counts.FullScaleCount);
        Setmax->setText(full);
        SetMin->setText(QStringLiteral("-") + full);
        m_waitingReadout.reset();
        MinText->setText(QString::number(counts.FullScaleCount + 1));
        MaxText->setText(QString::number(-(counts.FullScaleCount + 1)));
    }
}

void ScalePanel::showMaxMin(const std::string &max, const std::string &min,
                            const std::string &maxUnit, const std::string &minUnit)
{
    // The window design keeps the readout's panel hidden, and a label takes a new text at a
    // cost even there, with nearly every reading: a hidden panel's labels take the latest
    // readout when the panel is shown.
    m_waitingReadout = MaxMinReadout{max, min, maxUnit, minUnit};
    if (!Panel3->isHidden())
        showWaitingReadout();
}

void ScalePanel::showWaitingReadout()
{
    if (!m_waitingReadout)
        return;
    auto setCaption = [](QLabel *label, const std::string &text) {
        const QString caption = QString::fromStdString(text);
        if (label->text() != caption)
            label->setText(caption);
    };
    setCaption(MaxText, m_waitingReadout->MaxText);
    setCaption(MinText, m_waitingReadout->MinText);
    setCaption(MaxTextU, m_waitingReadout->MaxTextU);
    setCaption(MinTextU, m_waitingReadout->MinTextU);
    m_waitingReadout.reset();
}

void ScalePanel::showScaleImage()
{
    if (!m_scale.image().isNull())
        KD1->setPixmap(QPixmap::fromImage(m_scale.image()));
}

void ScalePanel::KDsetup(int /*Mode: every caller passes 1*/)
{
    m_scale.resizeImage(KD->size());
    m_scale.KDsetup(KD->size(), {counts.ScaleKind, counts.ScaleSpan, counts.FullScaleCount},
                    {LimitHigh, LimitLow, SetMaxB->isChecked(), SetMinB->isChecked()});
    showScaleImage();
}

void ScalePanel::KDrun(std::int32_t Position)
{
    // The panel is kept hidden and empty by the window design; there is no picture to move
    // the pointer on then, and the frame path should not pay for one.
    if (m_scale.image().isNull())
        return;
    m_scale.KDrun(KD->size(), Position, counts.ScaleSpan);
    showScaleImage();
}

void ScalePanel::KdFdClick()
{
    const QSize outer = KD->window()->frameGeometry().size();
    if (KD->width() < 470) {
        KdFd->hide();
        KdSx->show();
        m_savedScaleBounds = KD->geometry();
        KD->setGeometry(2, 28, outer.width() - 12, outer.height() - 80);
        KD1->setGeometry(2, 2, KD->width() - 40, KD->height() - 140);
        emit enlargedChanged(true);
    } else {
        KdSx->hide();
        KdFd->show();
        KD->setGeometry(m_savedScaleBounds);
        KD1->setGeometry(2, 2, KD->width() - 4, KD->height() - 4);
        emit enlargedChanged(false);
    }
}

void ScalePanel::KDResize()
{
    KdFd->move(KD->width() - 30, KdFd->y());
    KdSx->move(KD->width() - 30, KdSx->y());
}

bool ScalePanel::readScaleLimit(const QLineEdit *edit, float &limit)
{
    const std::string text = edit->text().toStdString();
    const std::optional<std::int32_t> value = entryTextToInt32(text);
    if (!value) {
        m_dialogs.error(QGuiApplication::applicationDisplayName(),
                        QString::fromStdString(invalidIntegerMessage(text)));
        return false;
    }
    limit = static_cast<float>(*value);
    return true;
}

void ScalePanel::SetmaxExit()
{
    if (readScaleLimit(Setmax, LimitHigh))
        KDsetup(1);
}

void ScalePanel::SetMinExit()
{
    if (readScaleLimit(SetMin, LimitLow))
        KDsetup(1);
}

bool ScalePanel::SetmaxKeyPress(QChar key)
{
    return scaleLimitKeyAccepted(key.unicode());
}

} // namespace vireo
