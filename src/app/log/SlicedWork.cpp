#include "app/log/SlicedWork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressDialog>

namespace vireo {

namespace {

// The event loop runs this often; a slice is as long as a repaint can wait.
constexpr qint64 SliceMs = 25;
constexpr int Steps = 1000;

// The box must stay until the work is done: a closed box would free the window's controls
// (clear the log, say) under work that is still reading it.
class KeepOpen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void runInSlices(QWidget *parent, const QString &label, bool large, std::size_t total,
                 const std::function<bool()> &step, const std::function<std::size_t()> &done)
{
    if (!large) {
        while (step()) {
        }
        return;
    }
    QProgressDialog box(label, QString(), 0, Steps, parent);
    box.setObjectName(QStringLiteral("workProgress"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setAutoReset(false);
    KeepOpen keepOpen;
    box.installEventFilter(&keepOpen);
    box.setValue(0);

    QElapsedTimer slice;
    for (bool more = true; more;) {
        slice.start();
        while (more && slice.elapsed() < SliceMs)
            more = step();
        const double share = total ? static_cast<double>(done()) / static_cast<double>(total) : 1;
        box.setValue(std::min(Steps, static_cast<int>(share * Steps)));
        QCoreApplication::processEvents();
    }
}

} // namespace vireo
