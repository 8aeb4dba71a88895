#include "app/paint/ReadOnlyEditStyle.h"
#include "support/ScreenGrab.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace vireo;

namespace {

// Two read-only boxes filled with the same colour, one drawing its panel from kept pictures.
struct BoxesSideBySide {
    BoxesSideBySide()
    {
        host.resize(200, 80);
        kept->setStyle(&style);
        for (QLineEdit *box : {kept, plain}) {
            box->setReadOnly(true);
            // Neither takes the focus on its own: the frame shows it.
            box->setFocusPolicy(Qt::NoFocus);
            box->setAutoFillBackground(true);
            box->setBackgroundRole(QPalette::Window);
        }
        kept->setGeometry(88, 10, 81, 21);
        plain->setGeometry(88, 45, 81, 21);
        setColour(QColor(255, 255, 225));
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
        QApplication::processEvents();
    }
    void setColour(const QColor &colour)
    {
        for (QLineEdit *box : {kept, plain}) {
            QPalette pal = box->palette();
            pal.setColor(QPalette::Base, colour);
            pal.setColor(QPalette::Window, colour);
            box->setPalette(pal);
        }
    }
    void setText(const QString &text)
    {
        kept->setText(text);
        plain->setText(text);
        QApplication::processEvents();
    }
    QImage shown(const QWidget *box) { return vireo::test::shownOnScreen(host, box->geometry()); }

    ReadOnlyEditStyle style;
    QWidget host;
    QLineEdit *kept = new QLineEdit(&host);
    QLineEdit *plain = new QLineEdit(&host);
};

TEST(ReadOnlyEditStyle, BoxLooksAsTheStyleDrawsItThroughTextsColoursAndFocus)
{
    BoxesSideBySide boxes;
    ASSERT_EQ(boxes.shown(boxes.kept), boxes.shown(boxes.plain));
    for (const char *text : {"1.234", "-0.001", "OL", "1.234", "9999"}) {
        boxes.setText(QString::fromLatin1(text));
        ASSERT_EQ(boxes.shown(boxes.kept), boxes.shown(boxes.plain)) << text;
    }
    // The verdict colours, back and forth, and a colour seen before.
    for (const QColor &colour :
         {QColor(0, 128, 0), QColor(255, 0, 0), QColor(0, 128, 0), QColor(255, 255, 225)}) {
        boxes.setColour(colour);
        boxes.setText(QStringLiteral("1.500"));
        ASSERT_EQ(boxes.shown(boxes.kept), boxes.shown(boxes.plain)) << colour.name().toStdString();
    }
    // A new inside colour over the same fill.
    for (QLineEdit *box : {boxes.kept, boxes.plain}) {
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, Qt::white);
        box->setPalette(pal);
    }
    boxes.setText(QStringLiteral("1.502"));
    ASSERT_EQ(boxes.shown(boxes.kept), boxes.shown(boxes.plain));

    // A box with the focus draws its frame in the focus colour, and the plain frame again
    // once it lost the focus.
    for (QLineEdit *box : {boxes.kept, boxes.plain})
        box->setFocusPolicy(Qt::StrongFocus);
    boxes.host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&boxes.host));
    boxes.kept->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(boxes.kept->hasFocus());
    const QImage keptFocused = boxes.shown(boxes.kept);
    const QImage plainUnfocused = boxes.shown(boxes.plain);
    EXPECT_NE(keptFocused, plainUnfocused);
    boxes.plain->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(keptFocused, boxes.shown(boxes.plain));
    EXPECT_EQ(boxes.shown(boxes.kept), plainUnfocused);
}

TEST(ReadOnlyEditStyle, ABoxWithoutAPlainFillIsDrawnByTheStyle)
{
    BoxesSideBySide boxes;
    for (QLineEdit *box : {boxes.kept, boxes.plain})
        box->setAutoFillBackground(false);
    boxes.setText(QStringLiteral("2.000"));
    boxes.kept->update();
    boxes.plain->update();
    QApplication::processEvents();
    EXPECT_EQ(boxes.shown(boxes.kept), boxes.shown(boxes.plain));
}

} // namespace
