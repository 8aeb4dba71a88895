#pragma once

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QProxyStyle>
#include <QString>
#include <QToolButton>

#include <functional>
#include <optional>
#include <vector>

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

// A filled shape (rectangle or circle) with a black outline.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };
    ShapeWidget(Kind kind, QWidget *parent);

    void setBrushColor(const QColor &color);
    QColor brushColor() const { return m_brush; }
    void setPenWidth(int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind;
    QColor m_brush = Qt::white;
    int m_penWidth = 1;
};

// A progress bar that paints the same pixels as the style would, from a kept picture per
// value: the bar under the LCD moves with nearly every frame, and the style draws it with
// gradients and rounded strokes. A new value repaints only the columns whose picture changed.
class BarGraph : public QProgressBar {
    Q_OBJECT
public:
    explicit BarGraph(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The bar at a value over the background that shows through it; a null image when that
    // background is no plain colour, and the style paints the bar as usual.
    const QImage &picture(int value, QImage::Format format);
    void forgetPictures();

    QHash<int, QImage> m_pictures;
    std::optional<QColor> m_background;
    QImage::Format m_format = QImage::Format_Invalid;
};

// A style that draws a line edit's panel from a picture kept per size, state and colours, over
// the plain colour the edit fills itself with: the measured value's box takes a new text with
// nearly every reading, and the style strokes its rounded frame at every paint.
class KeptPanelStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    struct Look {
        QSize size;
        int state = 0;
        qint64 palette = 0;
        QRgb background = 0;
        qreal ratio = 0;
        QImage::Format format = QImage::Format_Invalid;
        int lineWidth = 0;
        int features = 0;
        bool operator==(const Look &) const = default;
    };
    struct Kept {
        Look look;
        QImage picture;
    };

    mutable std::vector<Kept> m_kept;
};

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

// Lets a typed character reach `edit` only when `accept` takes it. Keys without a character
// (arrows, Delete, shortcuts) pass, as they never reach a character filter; backspace is
// offered as character 8.
void filterKeys(QWidget *edit, std::function<bool(QChar)> accept);

// A label whose text is drawn exactly as given: "&" is a character, not an accelerator mark.
QLabel *literalLabel(const QString &text, QWidget *parent);

} // namespace vireo
