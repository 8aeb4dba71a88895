#include "app/window/EditKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>

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

} // namespace vireo
