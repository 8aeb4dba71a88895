#pragma once

#include <QRect>
#include <QScrollBar>
#include <QStyle>

class QStyleOptionSlider;

namespace vireo {

// A scroll bar that repaints only when it would look different, and then only where. The
// grid's bar changes its range with every appended row, which after the first few hundred rows
// moves the thumb by less than a pixel; before that, only the thumb's old and new places change,
// and an arrow while the value leaves and regains the end of the range.
class RowScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    // A new row moves the end of the range and then the value to it, and the arrow at the end
    // would flash off and on: the bar looks at itself once both are done.
    class Hold {
    public:
        explicit Hold(QScrollBar *bar);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        RowScrollBar *m_bar;
    };

protected:
    bool event(QEvent *event) override;
    void sliderChange(SliderChange change) override;

private:
    struct Look {
        QRect slider;
        bool empty = false;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look &) const = default;
    };

    void lookAgain(SliderChange change);
    QRect part(const QStyleOptionSlider &option, QStyle::SubControl control) const;
    void repaintPart(const QRect &place);

    Look m_look;
    int m_held = 0;
    bool m_changed = false;
};

} // namespace vireo
