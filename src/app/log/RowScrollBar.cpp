#include "app/log/RowScrollBar.h"

#include <QEvent>
#include <QStyleOptionSlider>

#include <utility>

namespace vireo {

RowScrollBar::Hold::Hold(QScrollBar *bar) : m_bar(dynamic_cast<RowScrollBar *>(bar))
{
    if (m_bar != nullptr)
        ++m_bar->m_held;
}

RowScrollBar::Hold::~Hold()
{
    if (m_bar != nullptr && --m_bar->m_held == 0 && std::exchange(m_bar->m_changed, false))
        m_bar->lookAgain(SliderValueChange);
}

bool RowScrollBar::event(QEvent *event)
{
    const bool handled = QScrollBar::event(event);
    // The style paints every pixel of the bar: nothing beneath it need be painted first.
    // Polishing clears the mark, so it is set again after each polish.
    if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
        setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
}

void RowScrollBar::sliderChange(SliderChange change)
{
    if (m_held > 0) {
        m_changed = true;
        return;
    }
    lookAgain(change);
}

void RowScrollBar::lookAgain(SliderChange change)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const Look look{part(option, QStyle::SC_ScrollBarSlider), minimum() == maximum(),
                    value() == minimum(), value() == maximum()};
    if (look == m_look)
        return;
    const Look was = std::exchange(m_look, look);
    if (!was.slider.isValid() || !look.slider.isValid() || was.empty != look.empty) {
        QScrollBar::sliderChange(change);
        return;
    }
    repaintPart(was.slider);
    repaintPart(look.slider);
    if (was.atStart != look.atStart)
        repaintPart(part(option, QStyle::SC_ScrollBarSubLine));
    if (was.atEnd != look.atEnd)
        repaintPart(part(option, QStyle::SC_ScrollBarAddLine));
}

QRect RowScrollBar::part(const QStyleOptionSlider &option, QStyle::SubControl control) const
{
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
}

void RowScrollBar::repaintPart(const QRect &place)
{
    // The style may shade a pixel or two around a part.
    constexpr int kShade = 2;
    update(place.adjusted(-kShade, -kShade, kShade, kShade));
}

} // namespace vireo
