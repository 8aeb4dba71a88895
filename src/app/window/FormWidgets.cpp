#include "app/window/FormWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QStyleOptionProgressBar>

#include <algorithm>
#include <cmath>

#include <optional>

namespace vireo {

namespace {

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject *parent, std::function<bool(QChar)> accept)
        : QObject(parent), m_accept(std::move(accept))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Backspace)
                return !m_accept(QChar(8));
            const QString text = key->text();
            if (!text.isEmpty() && !text.at(0).isNull() && text.at(0).isPrint())
                return !m_accept(text.at(0));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QChar)> m_accept;
};

// The colour a parent paints behind a child that paints no background of its own, when the
// parent fills itself with one plain colour.
std::optional<QColor> plainBackgroundBehind(const QWidget *child)
{
    const QWidget *parent = child->parentWidget();
    if (parent == nullptr || !(parent->autoFillBackground() || parent->isWindow()) ||
        parent->testAttribute(Qt::WA_NoSystemBackground))
        return std::nullopt;
    const QBrush brush = parent->palette().brush(parent->backgroundRole());
    if (brush.style() != Qt::SolidPattern || !brush.isOpaque())
        return std::nullopt;
    return brush.color();
}

} // namespace

void filterKeys(QWidget *edit, std::function<bool(QChar)> accept)
{
    edit->installEventFilter(new KeyPressFilter(edit, std::move(accept)));
}

void ClickPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ShapeWidget::ShapeWidget(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind) {}

void ShapeWidget::setBrushColor(const QColor &color)
{
    if (color == m_brush)
        return;
    m_brush = color;
    update();
}

void ShapeWidget::setPenWidth(int width)
{
    m_penWidth = width;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_kind == Kind::Circle);
    QPen pen(Qt::black, m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(m_brush);
    const qreal inset = m_penWidth / 2.0;
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_kind == Kind::Circle)
        p.drawEllipse(box);
    else
        p.drawRect(box);
}

BarGraph::BarGraph(QWidget *parent) : QProgressBar(parent)
{
    // The base repaints only for moves of a chunk's width or more, though the style draws the
    // bar without chunks: every new value is shown.
    connect(this, &QProgressBar::valueChanged, this, [this] { update(); });
}

void BarGraph::forgetPictures()
{
    m_pictures.clear();
}

void BarGraph::changeEvent(QEvent *event)
{
    QProgressBar::changeEvent(event);
    forgetPictures();
}

void BarGraph::resizeEvent(QResizeEvent *event)
{
    QProgressBar::resizeEvent(event);
    forgetPictures();
}

const QImage &BarGraph::picture(int value, QImage::Format format)
{
    const std::optional<QColor> behind = plainBackgroundBehind(this);
    if (!behind || behind != m_background || format != m_format) {
        forgetPictures();
        m_background = behind;
        m_format = format;
    }
    auto kept = m_pictures.find(value);
    if (kept != m_pictures.end())
        return *kept;
    QImage image;
    if (behind) {
        const qreal ratio = devicePixelRatioF();
        image = QImage(size() * ratio, format);
        image.setDevicePixelRatio(ratio);
        image.fill(*behind);
        QPainter painter(&image);
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        option.progress = value;
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    }
    return *m_pictures.insert(value, image);
}

void BarGraph::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QPaintDevice *target = painter.paintEngine()->paintDevice();
    const QImage::Format format = target->devType() == QInternal::Image
                                      ? static_cast<const QImage *>(target)->format()
                                      : QImage::Format_RGB32;
    const QImage &shown = picture(value(), format);
    // Over a plain background the picture covers the whole bar, and the parent need not
    // paint beneath it; over anything else the style paints the bar as it always does.
    const bool wasOpaque = testAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_OpaquePaintEvent, !shown.isNull());
    if (shown.isNull()) {
        painter.end();
        QProgressBar::paintEvent(event);
        // The parent did not paint beneath this time: once more, with it.
        if (wasOpaque)
            update();
        return;
    }
    const QRect dirty = event->rect();
    painter.drawImage(dirty, shown,
                      QRectF(QPointF(dirty.topLeft()) * shown.devicePixelRatio(),
                             QSizeF(dirty.size()) * shown.devicePixelRatio()));
}

void KeptPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                   QPainter *painter, const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    const QPaintDevice *target = painter->paintEngine()->paintDevice();
    const qreal ratio = painter->device()->devicePixelRatio();
    // Laid over the backing image in whole pixels only, over a fill of one plain colour.
    if (element != PE_PanelLineEdit || frame == nullptr || widget == nullptr ||
        !widget->autoFillBackground() || target->devType() != QInternal::Image ||
        painter->transform().type() != QTransform::TxNone || ratio != std::floor(ratio)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QBrush background = widget->palette().brush(widget->backgroundRole());
    if (background.style() != Qt::SolidPattern || !background.isOpaque()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const Look look{frame->rect.size(),
                    static_cast<int>(frame->state),
                    frame->palette.cacheKey(),
                    background.color().rgba(),
                    ratio,
                    static_cast<const QImage *>(target)->format(),
                    frame->lineWidth,
                    static_cast<int>(frame->features)};
    auto kept = std::find_if(m_kept.begin(), m_kept.end(),
                             [&look](const Kept &k) { return k.look == look; });
    if (kept == m_kept.end()) {
        // A box that changed its colours a few times keeps only the latest looks.
        constexpr std::size_t kMostLooks = 8;
        if (m_kept.size() >= kMostLooks)
            m_kept.clear();
        QImage picture(look.size * ratio, look.format);
        picture.setDevicePixelRatio(ratio);
        picture.fill(background.color());
        QStyleOptionFrame atOrigin = *frame;
        atOrigin.rect = QRect(QPoint(0, 0), look.size);
        QPainter picturePainter(&picture);
        QProxyStyle::drawPrimitive(element, &atOrigin, &picturePainter, widget);
        picturePainter.end();
        kept = m_kept.insert(m_kept.end(), Kept{look, picture});
    }
    painter->drawImage(frame->rect.topLeft(), kept->picture);
}

ToggleButton::ToggleButton(const QString &caption, int groupIndex, QWidget *parent)
    : QToolButton(parent), m_group(groupIndex)
{
    setText(caption);
    setCheckable(true);
    setAutoRaise(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void ToggleButton::nextCheckState()
{
    QToolButton::nextCheckState();
    if (!isChecked() || parentWidget() == nullptr)
        return;
    const auto group = parentWidget()->findChildren<ToggleButton *>(Qt::FindDirectChildrenOnly);
    for (ToggleButton *other : group) {
        if (other != this && other->groupIndex() == m_group)
            other->setDown(false);
    }
}

QLabel *literalLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace vireo
