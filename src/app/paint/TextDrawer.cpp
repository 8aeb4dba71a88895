#include "app/paint/TextDrawer.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace vireo {

namespace {

// Enough for every distinct text a screenful of log rows shows, many times over.
constexpr qsizetype kMostKept = 512;

// Texts the painter changes before laying them out (line breaks, tabs, length variants) and
// texts that run right to left are left to the painter.
bool drawnAsGiven(const QString &text)
{
    for (QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar(0x9c))
            return false;
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDF:
        case QChar::DirPDI:
            return false;
        default:
            break;
        }
    }
    return true;
}

constexpr int kAlignments = Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignRight | Qt::AlignTop |
                            Qt::AlignVCenter | Qt::AlignBottom;
constexpr int kLaidOutFlags = kAlignments | Qt::TextSingleLine | Qt::TextForceLeftToRight;

bool leftToRight(const QPainter &painter, int flags)
{
    if (flags & Qt::TextForceLeftToRight)
        return true;
    const Qt::LayoutDirection direction = painter.layoutDirection();
    return direction == Qt::LeftToRight || (direction == Qt::LayoutDirectionAuto &&
                                            QGuiApplication::layoutDirection() != Qt::RightToLeft);
}

} // namespace

TextDrawer::TextDrawer(const QFont &font) : m_font(font) {}
TextDrawer::~TextDrawer() = default;
TextDrawer::TextDrawer(TextDrawer &&) noexcept = default;
TextDrawer &TextDrawer::operator=(TextDrawer &&) noexcept = default;

struct TextDrawer::Kept {
    Kept(const QString &text, const QFont &font, QPaintDevice *device) : layout(text, font, device)
    {
    }
    QTextLayout layout;
    // Where the glyphs' pixels may lie, from the start of the baseline, once asked for.
    mutable std::optional<QRectF> ink;
};

const QRectF &TextDrawer::ink(const Kept &kept)
{
    if (kept.ink)
        return *kept.ink;
    // The layout's font is the one made for the device it was laid out for.
    const QFontMetricsF metrics(kept.layout.font());
    const QString &text = kept.layout.text();
    const bool latin1 =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    if (!latin1) {
        kept.ink = metrics.boundingRect(text);
        return *kept.ink;
    }
    // Latin-1 signs stand on the baseline as they do alone: the heights of each sign, kept
    // per font, bound the text's. Sideways, a sign may lean over its neighbours, but never by
    // a whole line's height.
    qreal top = 0;
    qreal bottom = 0;
    for (QChar c : text) {
        std::optional<QRectF> &sign = m_signInk[c.unicode()];
        if (!sign)
            sign = metrics.boundingRect(c);
        top = std::min(top, sign->top());
        bottom = std::max(bottom, sign->bottom());
    }
    const qreal lean = metrics.height();
    kept.ink = QRectF(QPointF(-lean, top),
                      QPointF(kept.layout.lineAt(0).horizontalAdvance() + lean, bottom));
    return *kept.ink;
}

const TextDrawer::Kept *TextDrawer::laidOut(QPainter &painter, int flags, const QString &text)
{
    if ((flags & ~kLaidOutFlags) != 0 || !leftToRight(painter, flags) || !drawnAsGiven(text))
        return nullptr;
    return &keep(painter.device(), text);
}

int TextDrawer::advance(QPaintDevice *device, const QString &text)
{
    // What follows the last sign is measured as the painter measures it.
    if (text.isEmpty() || text.back().isSpace() || !drawnAsGiven(text))
        return QFontMetrics(m_font).horizontalAdvance(text);
    return qRound(keep(device, text).layout.lineAt(0).horizontalAdvance());
}

const TextDrawer::Kept &TextDrawer::keep(QPaintDevice *device, const QString &text)
{
    const auto kept = m_kept.constFind(text);
    if (kept != m_kept.cend())
        return **kept;
    if (m_kept.size() >= kMostKept)
        m_kept.clear();
    auto made = std::make_shared<Kept>(text, m_font, device);
    QTextLayout &layout = made->layout;
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    // One line however long: the rectangle cuts it, it never wraps.
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    return **m_kept.insert(text, std::move(made));
}

TextDrawer::Placement TextDrawer::place(const Kept &kept, const QRect &rect, int flags)
{
    const QTextLine line = kept.layout.lineAt(0);
    const qreal height = line.ascent() + line.descent();
    const qreal width = line.naturalTextWidth();
    const qreal advance = line.horizontalAdvance();
    qreal top = rect.y();
    if (flags & Qt::AlignBottom)
        top += rect.height() - height;
    else if (flags & Qt::AlignVCenter)
        top += (rect.height() - height) / 2;
    // Whether the text fits goes by its natural width, where it stands by its advance.
    qreal boxLeft = rect.x();
    qreal left = rect.x();
    if (flags & Qt::AlignRight) {
        boxLeft += rect.width() - width;
        left += rect.width() - advance;
    } else if (flags & Qt::AlignHCenter) {
        boxLeft += (rect.width() - width) / 2;
        left += (rect.width() - advance) / 2;
    }
    return {QPointF(left, top), !QRectF(rect).contains(QRectF(boxLeft, top, width, height))};
}

void TextDrawer::draw(QPainter &painter, const QRect &rect, int flags, const QString &text)
{
    if (text.isEmpty())
        return;
    const Kept *kept = laidOut(painter, flags, text);
    if (kept == nullptr) {
        painter.save();
        painter.setFont(m_font);
        painter.drawText(rect, flags, text);
        painter.restore();
        return;
    }
    const Placement at = place(*kept, rect, flags);
    if (at.cut) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
    }
    kept->layout.lineAt(0).draw(&painter, at.at);
    if (at.cut)
        painter.restore();
}

QRect TextDrawer::reach(QPainter &painter, const QRect &rect, int flags, const QString &text)
{
    if (text.isEmpty())
        return {};
    const Kept *kept = laidOut(painter, flags, text);
    // What the painter draws of a text it lays out itself is not known here.
    if (kept == nullptr)
        return QRect(QPoint(-QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX),
                     QPoint(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const Placement at = place(*kept, rect, flags);
    QRectF reached = ink(*kept).translated(at.at.x(), at.at.y() + kept->layout.lineAt(0).ascent());
    if (at.cut)
        reached &= QRectF(rect);
    // Smoothing may shade a pixel next to the glyphs' box.
    return reached.toAlignedRect().adjusted(-1, -1, 1, 1);
}

} // namespace vireo
