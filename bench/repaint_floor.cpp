// The least a Qt widget window can spend on the X11 road: a bare window whose only work is one
// 20 x 20 child repainted ten times a second ("repaint"), or a ten-per-second timer that does
// nothing ("tick"). bench/xvfb_cpu.py runs it beside the program, so the program's figures can be
// read against what the toolkit alone costs on the same machine and X server.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace {

class Box : public QWidget {
public:
    using QWidget::QWidget;
    bool lit = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), lit ? Qt::red : Qt::blue);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool repaint = argc < 2 || std::strcmp(argv[1], "tick") != 0;
    QWidget window;
    window.setWindowTitle(QStringLiteral("repaint floor"));
    window.resize(800, 600);
    auto *box = new Box(&window);
    box->setGeometry(300, 10, 20, 20);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!repaint)
            return;
        box->lit = !box->lit;
        box->update();
    });
    timer.start(100);
    window.show();
    return app.exec();
}
