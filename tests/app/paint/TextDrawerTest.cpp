#include "app/paint/TextDrawer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vireo;

namespace {

QFont pixelFont(const char *family, int px)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(px);
    return font;
}

// What the kept texts draw in a cell, and what the painter's own text draws there.
struct TwoPictures {
    QImage kept{80, 24, QImage::Format_RGB32};
    QImage painter{80, 24, QImage::Format_RGB32};
    TwoPictures()
    {
        kept.fill(Qt::white);
        painter.fill(Qt::white);
    }
};

TwoPictures drawBoth(TextDrawer &texts, const QRect &cell, int flags, const QString &text,
                     const QColor &ink = Qt::black)
{
    TwoPictures p;
    {
        QPainter painter(&p.kept);
        painter.setPen(ink);
        texts.draw(painter, cell, flags, text);
    }
    {
        QPainter painter(&p.painter);
        painter.setFont(texts.font());
        painter.setPen(ink);
        painter.drawText(cell, flags, text);
    }
    return p;
}

// Numbers, times, readings and units as a log shows them: texts that fit and texts cut at
// the cell's edge, leading and trailing spaces, and signs the unit font takes from a fallback.
const char *const kCellTexts[] = {"1",
                                  "99999",
                                  "100000",
                                  "12:00:01",
                                  "DC",
                                  "AC",
                                  "1.234",
                                  "-1234.5",
                                  " 1.2",
                                  "",
                                  "1.2 ",
                                  "OL",
                                  "AUTO",
                                  "MANUAL",
                                  "V",
                                  "mV",
                                  "\xc2\xb5"
                                  "A",
                                  "\xc2\xb0"
                                  "C",
                                  "\xce\xa9",
                                  "k\xce\xa9",
                                  "Hz",
                                  "nF",
                                  "hFE",
                                  "0.L",
                                  "  ",
                                  "a b  "};

TEST(TextDrawer, DrawWhatThePaintersTextDrawsForEveryAlignmentAndWidth)
{
    for (const QFont &font : {pixelFont("Arial", 12), pixelFont("VORDA-A2", 12)}) {
        TextDrawer texts(font);
        for (int horizontal : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight})
            for (int vertical : {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom})
                for (int line : {0, int(Qt::TextSingleLine), int(Qt::TextForceLeftToRight)})
                    for (int width : {20, 31, 33, 48, 49})
                        for (const char *text : kCellTexts) {
                            const QRect cell(13, 2, width, 17);
                            const TwoPictures p = drawBoth(
                                texts, cell, horizontal | vertical | line, QString::fromUtf8(text));
                            ASSERT_EQ(p.kept, p.painter)
                                << font.family().toStdString() << " " << text << " " << width;
                        }
        // Each distinct text was laid out once, whatever the rectangles it went to; an empty
        // one needs no layout.
        EXPECT_EQ(texts.keptCount(), static_cast<qsizetype>(std::size(kCellTexts)) - 1);
    }
}

// The box of what a draw paints: the grid leaves out of a paint texts that cannot reach it.
QRect paintedBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != QColor(Qt::white).rgb())
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(TextDrawer, ReachHoldsEveryPixelADrawPaints)
{
    // Signs taller and deeper than the font's line, from the font itself and from fallbacks.
    std::vector<QString> texts;
    for (const char *text : kCellTexts)
        texts.push_back(QString::fromUtf8(text));
    for (const char *text : {"\xc3\x85\xc3\x89gjpqy", "\xe2\x88\xab\xe2\x88\x91", "|[]{}"})
        texts.push_back(QString::fromUtf8(text));
    for (const QFont &font : {pixelFont("Arial", 12), pixelFont("VORDA-A2", 12)}) {
        TextDrawer kept(font);
        for (int horizontal : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight})
            for (int width : {20, 33, 49})
                for (const QString &text : texts) {
                    QImage image(80, 40, QImage::Format_RGB32);
                    image.fill(Qt::white);
                    QPainter painter(&image);
                    const QRect cell(13, 12, width, 15);
                    const int flags = horizontal | Qt::AlignVCenter | Qt::TextSingleLine;
                    kept.draw(painter, cell, flags, text);
                    const QRect reach = kept.reach(painter, cell, flags, text);
                    painter.end();
                    const QRect box = paintedBox(image);
                    EXPECT_TRUE(box.isEmpty() || reach.contains(box))
                        << text.toStdString() << " " << width;
                }
    }
}

// The grid decides from the width whether a number fits or ends in an ellipsis: the kept width
// must be the one the font's metrics give.
TEST(TextDrawer, AdvanceIsTheFontMetricsWidth)
{
    QImage device(8, 8, QImage::Format_RGB32);
    std::vector<QString> texts;
    for (const char *text : kCellTexts)
        texts.push_back(QString::fromUtf8(text));
    for (long long n = 1; n < 100000000000LL; n = n * 7 + 3) {
        texts.push_back(QString::number(n));
        texts.push_back(QString::number(-n));
        texts.push_back(QString::number(n / 1000.0, 'f', 3));
    }
    texts.push_back(QStringLiteral("a\tb"));
    for (const QFont &font : {pixelFont("Arial", 12), pixelFont("VORDA-A2", 12)}) {
        TextDrawer kept(font);
        for (int pass = 0; pass < 2; ++pass)
            for (const QString &text : texts)
                ASSERT_EQ(kept.advance(&device, text), QFontMetrics(font).horizontalAdvance(text))
                    << font.family().toStdString() << " '" << text.toStdString() << "'";
    }
}

TEST(TextDrawer, KeptTextsFollowThePenAndTheClipAndStayBounded)
{
    TextDrawer texts(pixelFont("Arial", 12));
    const QRect cell(2, 3, 40, 17);
    // The same text in the mark's colours after its plain ones, from what was kept.
    EXPECT_EQ(drawBoth(texts, cell, Qt::AlignRight | Qt::AlignVCenter, "12:00:01").kept,
              drawBoth(texts, cell, Qt::AlignRight | Qt::AlignVCenter, "12:00:01").painter);
    const TwoPictures marked =
        drawBoth(texts, cell, Qt::AlignRight | Qt::AlignVCenter, "12:00:01", Qt::white);
    EXPECT_EQ(marked.kept, marked.painter);

    // A clip set by the caller still cuts the text.
    QImage clipped(80, 24, QImage::Format_RGB32);
    clipped.fill(Qt::white);
    {
        QPainter painter(&clipped);
        painter.setClipRect(0, 0, 20, 24);
        texts.draw(painter, cell, Qt::AlignLeft | Qt::AlignVCenter, "12:00:01");
    }
    for (int y = 0; y < clipped.height(); ++y)
        for (int x = 20; x < clipped.width(); ++x)
            ASSERT_EQ(clipped.pixel(x, y), QColor(Qt::white).rgb()) << x << "," << y;

    // A caption forced left to right in a window laid out right to left.
    {
        TwoPictures p;
        for (QImage *image : {&p.kept, &p.painter}) {
            QPainter painter(image);
            painter.setLayoutDirection(Qt::RightToLeft);
            const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextForceLeftToRight;
            if (image == &p.kept) {
                texts.draw(painter, cell, flags, "AUTO");
            } else {
                painter.setFont(texts.font());
                painter.drawText(cell, flags, "AUTO");
            }
        }
        EXPECT_EQ(p.kept, p.painter);
    }

    // Texts the painter rewrites before laying out are drawn by the painter itself, as are
    // flags it alone knows.
    {
        const TwoPictures p =
            drawBoth(texts, cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, "&Save");
        EXPECT_EQ(p.kept, p.painter);
    }
    for (const char *text : {"a\tb", "two\nlines", "cr\r", "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 1"}) {
        const TwoPictures p = drawBoth(texts, cell, Qt::AlignLeft | Qt::AlignVCenter, text);
        EXPECT_EQ(p.kept, p.painter) << text;
    }
    EXPECT_EQ(texts.keptCount(), 2);

    // A log of a million rows shows a million numbers: what is kept stays bounded.
    QImage scratch(80, 24, QImage::Format_RGB32);
    QPainter painter(&scratch);
    for (int i = 0; i < 2000; ++i) {
        texts.draw(painter, cell, Qt::AlignLeft | Qt::AlignVCenter, QString::number(i));
        ASSERT_LE(texts.keptCount(), 512);
    }
}

} // namespace
