#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <memory>

class QPainter;
class QRect;
class QTextLayout;

namespace vireo {

// Single-line texts of one font, each laid out the first time it is drawn and kept, drawn as
// QPainter::drawText draws a single line in a rectangle (aligned in it, and cut at its edges
// when it does not fit). A grid repaints the same few texts row after row: its numbers,
// times and units are shaped once instead of at every paint.
class LaidOutTexts {
public:
    explicit LaidOutTexts(const QFont &font);
    ~LaidOutTexts();
    LaidOutTexts(LaidOutTexts &&) noexcept;
    LaidOutTexts &operator=(LaidOutTexts &&) noexcept;

    const QFont &font() const { return m_font; }
    // `alignment` takes one horizontal and one vertical flag.
    void draw(QPainter &painter, const QRect &rect, Qt::Alignment alignment, const QString &text);
    qsizetype keptCount() const { return m_kept.size(); }

private:
    const QTextLayout &laidOut(QPainter &painter, const QString &text);

    QFont m_font;
    QHash<QString, std::shared_ptr<const QTextLayout>> m_kept;
};

} // namespace vireo
