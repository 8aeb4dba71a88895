#include "app/lcd/LcdPanel.h"
#include "support/WorkerThreads.h"

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace vireo;

namespace {

// Collects what the panel is asked to paint, as the window system asks it.
class PaintRecorder : public QObject {
public:
    QRegion painted;
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++paints;
        }
        return false;
    }
};

struct ShownPanel {
    ShownPanel()
    {
        host.resize(300, 180);
        panel = new LcdPanel(&host);
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
        QApplication::processEvents();
        panel->installEventFilter(&recorder);
    }
    // Lets the window system deliver what the panel asked for, and starts counting afresh.
    void settle() { QApplication::processEvents(); }
    void forget()
    {
        recorder.painted = QRegion();
        recorder.paints = 0;
    }
    QImage picture() { return panel->grab().toImage(); }

    QWidget host;
    LcdPanel *panel;
    PaintRecorder recorder;
};

LcdVisibility startMembers()
{
    LcdVisibility v;
    for (LcdMember m :
         {LcdMember::LcdFH, LcdMember::LcdDa, LcdMember::LcdDb, LcdMember::LcdDc, LcdMember::LcdDd})
        v.set(index(m));
    return v;
}

TEST(LcdPanel, StartsAsDesigned)
{
    ShownPanel p;
    EXPECT_EQ(p.panel->objectName(), "Panel1");
    EXPECT_EQ(p.panel->geometry(), QRect(3, 31, 285, 138));
    for (std::size_t i = 0; i < kLcdMemberCount; ++i)
        EXPECT_EQ(p.panel->isShown(static_cast<LcdMember>(i)), startMembers().test(i)) << i;
    EXPECT_EQ(p.panel->caption(LcdMember::LcdFH), "-");
    EXPECT_EQ(p.panel->caption(LcdMember::LCDFm), "&");
    EXPECT_TRUE(p.panel->isShape(LcdMember::LcdP1));
    EXPECT_EQ(p.panel->place(LcdMember::LcdP2), QRect(127, 105, 7, 8));
    EXPECT_EQ(p.panel->memberFont(LcdMember::LcdDa).family(), "VORDA-A3");
    EXPECT_EQ(p.panel->memberFont(LcdMember::LcdDa).pixelSize(), 100);
    EXPECT_TRUE(p.panel->memberFont(LcdMember::LcdAuto).bold());
}

TEST(LcdPanel, UnchangedFrameRepaintsNothing)
{
    ShownPanel p;
    p.forget();
    p.panel->showMembers({startMembers(), {'5', '9', '9', '9'}});
    p.settle();
    EXPECT_EQ(p.recorder.paints, 0);
}

TEST(LcdPanel, ChangedMembersRepaintOnlyTheirPlaces)
{
    ShownPanel p;
    LcdVisibility v = startMembers();
    v.reset(index(LcdMember::LcdFH));
    v.set(index(LcdMember::LcdP1));
    p.forget();
    p.panel->showMembers({v, {'5', '9', '9', '8'}});
    p.settle();
    const QRegion expected = QRegion(p.panel->place(LcdMember::LcdFH)) +
                             p.panel->place(LcdMember::LcdP1) + p.panel->place(LcdMember::LcdDd);
    EXPECT_EQ(p.recorder.painted, expected);
    // Several changes before the window system asks cost one paint.
    EXPECT_EQ(p.recorder.paints, 1);

    // A hidden member's caption may change without anything to repaint.
    p.forget();
    p.panel->setCaption(LcdMember::LCDRS, QStringLiteral("Link"));
    p.settle();
    EXPECT_EQ(p.recorder.paints, 0);
    EXPECT_EQ(p.panel->caption(LcdMember::LCDRS), "Link");
}

TEST(LcdPanel, HidingAMemberRestoresWhatLayBeneath)
{
    ShownPanel p;
    const QImage start = p.picture();
    LcdVisibility v = startMembers();
    // Members that share places with each other and overlap the digits.
    for (LcdMember m : {LcdMember::LcdAuto, LcdMember::LcdAC, LcdMember::LcdDc1, LcdMember::LCDRS,
                        LcdMember::LcdP1, LcdMember::LCDk, LcdMember::LCDHz, LcdMember::lcdMax})
        v.set(index(m));
    p.panel->showMembers({v, {'0', '0', '@', '1'}});
    p.settle();
    EXPECT_NE(p.picture(), start);
    p.panel->showMembers({startMembers(), {'5', '9', '9', '9'}});
    p.settle();
    EXPECT_EQ(p.picture(), start);
}

TEST(LcdPanel, MembersAreCutAtTheirPlaces)
{
    ShownPanel p;
    const QImage before = p.picture();
    // A caption far wider than its place changes nothing outside it.
    p.panel->setShown(LcdMember::lcdhFE, true);
    p.panel->setCaption(LcdMember::lcdhFE, QStringLiteral("hFE hFE hFE hFE"));
    p.settle();
    const QImage after = p.picture();
    const QRect place = p.panel->place(LcdMember::lcdhFE);
    int changedInside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y))
                continue;
            EXPECT_TRUE(place.contains(x, y)) << x << "," << y;
            ++changedInside;
        }
    EXPECT_GT(changedInside, 0);
}

// A decimal point is a square stroked with a 5 px pen around a white fill: on the panel it
// must look exactly so, whatever digit lies beneath it.
TEST(LcdPanel, DecimalPointsLookAsTheirStrokedSquare)
{
    ShownPanel p;
    LcdVisibility v = startMembers();
    for (LcdMember m : {LcdMember::LcdP1, LcdMember::LcdP2, LcdMember::LcdP3})
        v.set(index(m));
    p.panel->showMembers({v, {'8', '8', '8', '8'}});
    p.settle();
    const QImage shown = p.picture();
    for (LcdMember m : {LcdMember::LcdP1, LcdMember::LcdP2, LcdMember::LcdP3}) {
        SCOPED_TRACE(p.panel->memberName(m).toStdString());
        const QRect place = p.panel->place(m);
        QImage stroked(place.size(), shown.format());
        stroked.fill(Qt::white);
        QPainter painter(&stroked);
        QPen pen(Qt::black, 5);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::white);
        painter.drawRect(
            QRectF(QPointF(0, 0), QSizeF(place.size())).adjusted(2.5, 2.5, -2.5, -2.5));
        painter.end();
        EXPECT_EQ(shown.copy(place), stroked);
    }
}

// A frame that changes a digit and lights a point on the digit beside it repaints a place that
// cuts that digit in an L: the digit is drawn on the main thread alone, as any other.
TEST(LcdPanel, ADigitCutByTheRepaintWakesNoWorkerThread)
{
    ShownPanel p;
    LcdVisibility v = startMembers();
    v.set(index(LcdMember::LcdP2));
    const auto before = vireo::test::pooledThreadSleepsOnceQuiet();
    p.panel->showMembers({v, {'5', '9', '4', '9'}});
    p.settle();
    EXPECT_TRUE(p.recorder.painted.intersects(p.panel->place(LcdMember::LcdDb)));
    EXPECT_TRUE(vireo::test::pooledThreadsWokenSince(before).empty());
}

// The large digits are filled from kept outlines: each caption must look exactly as the
// painter's own text would, including after the caption changed.
TEST(LcdPanel, LargeCaptionsPaintAsText)
{
    ShownPanel p;
    LcdVisibility v = startMembers();
    v.reset(index(LcdMember::LcdDb));
    p.panel->showMembers({v, {'5', '9', '9', '9'}});
    p.settle();
    const QImage without = p.picture();
    const QRect place = p.panel->place(LcdMember::LcdDb);
    // Every caption twice: the second time from what the panel kept of the first. In between,
    // more captions than the panel keeps.
    std::string captions = "0123456789@-LEFrHnoP";
    captions += captions + "abcdefghijklmnopqrstuvwxyzABCDGIJK" + captions;
    for (char c : captions) {
        const QString caption(QLatin1Char{c});
        QImage expected = without;
        {
            QPainter painter(&expected);
            painter.setClipRect(place);
            painter.setFont(p.panel->memberFont(LcdMember::LcdDb));
            painter.setPen(p.panel->palette().color(QPalette::WindowText));
            painter.drawText(place, Qt::AlignLeft | Qt::AlignTop | Qt::TextForceLeftToRight,
                             caption);
        }
        p.panel->showMembers({startMembers(), {'5', c, '9', '9'}});
        p.settle();
        EXPECT_EQ(p.picture(), expected) << c;
    }
}

// Captions small enough for the glyph cache are kept as laid out: each must look as the
// painter's own text, the first time and when it comes back.
TEST(LcdPanel, SmallCaptionsPaintAsText)
{
    ShownPanel p;
    LcdVisibility none;
    p.panel->showMembers({none, {'\0', '\0', '\0', '\0'}});
    p.settle();
    const QImage blank = p.picture();
    for (LcdMember m : {LcdMember::LcdAuto, LcdMember::LCDRS, LcdMember::LcdAC, LcdMember::LCDHz,
                        LcdMember::lcdhFE, LcdMember::LCDk, LcdMember::LCDHold}) {
        const QString designed = p.panel->caption(m);
        for (const QString &caption : {designed, QStringLiteral("Link"), designed}) {
            LcdVisibility v;
            v.set(index(m));
            p.panel->setCaption(m, caption);
            p.panel->showMembers({v, {'\0', '\0', '\0', '\0'}});
            p.settle();
            QImage expected = blank;
            {
                QPainter painter(&expected);
                painter.setClipRect(p.panel->place(m));
                painter.setFont(p.panel->memberFont(m));
                painter.setPen(p.panel->palette().color(QPalette::WindowText));
                painter.drawText(p.panel->place(m),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextForceLeftToRight, caption);
            }
            EXPECT_EQ(p.picture(), expected)
                << p.panel->memberName(m).toStdString() << " " << caption.toStdString();
            p.panel->showMembers({none, {'\0', '\0', '\0', '\0'}});
            p.settle();
        }
        p.panel->setCaption(m, designed);
    }
}

// The kept digits follow a new caption colour, and a patterned one.
TEST(LcdPanel, LargeCaptionsFollowTheInk)
{
    ShownPanel p;
    LcdVisibility v = startMembers();
    v.reset(index(LcdMember::LcdDb));
    p.panel->showMembers({v, {'5', '9', '9', '9'}});
    p.settle();
    const QRect place = p.panel->place(LcdMember::LcdDb);
    QLinearGradient fade(place.topLeft(), place.bottomRight());
    fade.setColorAt(0, Qt::blue);
    fade.setColorAt(1, Qt::green);
    for (const QBrush &ink : {QBrush(Qt::red), QBrush(fade), QBrush(Qt::black)}) {
        QPalette pal = p.panel->palette();
        pal.setBrush(QPalette::WindowText, ink);
        p.panel->setPalette(pal);
        p.panel->showMembers({v, {'5', '9', '9', '9'}});
        p.settle();
        const QImage without = p.picture();
        for (char c : std::string("8118")) {
            QImage expected = without;
            {
                QPainter painter(&expected);
                painter.setClipRect(place);
                painter.setFont(p.panel->memberFont(LcdMember::LcdDb));
                painter.setPen(QPen(ink, 0));
                painter.drawText(place, Qt::AlignLeft | Qt::AlignTop | Qt::TextForceLeftToRight,
                                 QString(QLatin1Char{c}));
            }
            p.panel->showMembers({startMembers(), {'5', c, '9', '9'}});
            p.settle();
            EXPECT_EQ(p.picture(), expected) << c;
        }
    }
}

} // namespace
