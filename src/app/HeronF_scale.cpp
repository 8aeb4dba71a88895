// The analog dial on the hidden panel KD and its scale limits.
#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "core/KeyFilters.h"
#include "core/NumberText.h"

#include <QChartView>
#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

namespace vireo {

namespace {

// Runs KDResize whenever the scale panel changes size.
class ResizeWatcher : public QObject {
public:
    ResizeWatcher(QObject *parent, std::function<void()> onResize)
        : QObject(parent), m_onResize(std::move(onResize))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_onResize();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onResize;
};

} // namespace

void TFCOMM::wireScale()
{
    KD->installEventFilter(new ResizeWatcher(KD, [this] { KDResize(); }));
    connect(KdFd, &ClickPanel::clicked, this, [this] { KdFdClick(); });
    connect(KdSx, &ClickPanel::clicked, this, [this] { KdFdClick(); });
    connect(Setmax, &QLineEdit::textChanged, this, [this] { SetmaxExit(); });
    connect(SetMin, &QLineEdit::textChanged, this, [this] { SetMinExit(); });
    connect(SetMaxB, &QCheckBox::clicked, this, [this] { SetmaxExit(); });
    connect(SetMinB, &QCheckBox::clicked, this, [this] { SetMinExit(); });
}

void TFCOMM::showScaleImage()
{
    if (!m_scale.image().isNull())
        KD1->setPixmap(QPixmap::fromImage(m_scale.image()));
}

void TFCOMM::KDsetup(int /*Mode: every caller passes 1*/)
{
    m_scale.resizeImage(KD->size());
    m_scale.KDsetup(KD->size(), {counts.ScaleKind, counts.ScaleSpan, counts.FullScaleCount},
                    {LimitHigh, LimitLow, SetMaxB->isChecked(), SetMinB->isChecked()});
    showScaleImage();
}

void TFCOMM::KDrun(std::int32_t Position)
{
    // The panel is kept hidden and empty by the window design; there is no picture to move
    // the pointer on then, and the frame path should not pay for one.
    if (m_scale.image().isNull())
        return;
    m_scale.KDrun(KD->size(), Position, counts.ScaleSpan);
    showScaleImage();
}

void TFCOMM::KdFdClick()
{
    const QSize outer = frameGeometry().size();
    if (KD->width() < 470) {
        KdFd->hide();
        KdSx->show();
        m_savedScaleBounds = KD->geometry();
        KD->setGeometry(2, 28, outer.width() - 12, outer.height() - 80);
        KD1->setGeometry(2, 2, KD->width() - 40, KD->height() - 140);
        Chtshow->hide();
    } else {
        KdSx->hide();
        KdFd->show();
        KD->setGeometry(m_savedScaleBounds);
        KD1->setGeometry(2, 2, KD->width() - 4, KD->height() - 4);
        Chtshow->show();
    }
}

void TFCOMM::KDResize()
{
    KdFd->move(KD->width() - 30, KdFd->y());
    KdSx->move(KD->width() - 30, KdSx->y());
}

bool TFCOMM::readScaleLimit(const QLineEdit *edit, float &limit)
{
    const std::string text = edit->text().toStdString();
    const std::optional<std::int32_t> value = entryTextToInt32(text);
    if (!value) {
        dialogs().error(QGuiApplication::applicationDisplayName(),
                        QString::fromStdString(invalidIntegerMessage(text)));
        return false;
    }
    limit = static_cast<float>(*value);
    return true;
}

void TFCOMM::SetmaxExit()
{
    if (readScaleLimit(Setmax, LimitHigh))
        KDsetup(1);
}

void TFCOMM::SetMinExit()
{
    if (readScaleLimit(SetMin, LimitLow))
        KDsetup(1);
}

bool TFCOMM::SetmaxKeyPress(QChar key)
{
    return scaleLimitKeyAccepted(key.unicode());
}

} // namespace vireo
