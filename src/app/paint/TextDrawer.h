#pragma once

#include <QFont>
#include <QHash>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class QPaintDevice;
class QPainter;
class QTextLayout;

namespace vireo {

// Draws the single-line texts of one font as QPainter::drawText draws a single line in a
// rectangle (aligned in it, and cut at its edges when it does not fit), each text laid out the
// first time it is drawn and kept. A grid repaints the same few texts row after row, and the
// LCD the same captions: its numbers, times, units and signs are shaped once instead of at
// every paint.
class TextDrawer {
public:
    explicit TextDrawer(const QFont &font);
    ~TextDrawer();
    TextDrawer(TextDrawer &&) noexcept;
    TextDrawer &operator=(TextDrawer &&) noexcept;

    const QFont &font() const { return m_font; }
    // `flags` as for QPainter::drawText: one horizontal and one vertical alignment, and
    // Qt::TextSingleLine or Qt::TextForceLeftToRight; other flags leave the text to the painter.
    void draw(QPainter &painter, const QRect &rect, int flags, const QString &text);
    // The pixels draw() may touch, glyphs reaching beyond the line included.
    QRect reach(QPainter &painter, const QRect &rect, int flags, const QString &text);
    // The text's width as QFontMetrics::horizontalAdvance gives it, from the kept layout.
    int advance(QPaintDevice *device, const QString &text);
    qsizetype keptCount() const { return m_kept.size(); }

private:
    struct Kept;
    struct Placement {
        QPointF at;
        bool cut = false;
    };

    // Null for texts left to the painter.
    const Kept *laidOut(QPainter &painter, int flags, const QString &text);
    const Kept &keep(QPaintDevice *device, const QString &text);
    static Placement place(const Kept &kept, const QRect &rect, int flags);
    const QRectF &ink(const Kept &kept);

    QFont m_font;
    QHash<QString, std::shared_ptr<const Kept>> m_kept;
    std::array<std::optional<QRectF>, 256> m_signInk;
};

} // namespace vireo
