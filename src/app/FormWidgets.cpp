#include "app/FormWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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
