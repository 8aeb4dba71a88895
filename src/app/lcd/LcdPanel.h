#pragma once

#include "app/paint/TextDrawer.h"
#include "core/LcdDecoder.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QString>

#include <array>
#include <optional>
#include <string>

namespace vireo {

// The imitation of the meter's LCD. Its members (digits, sign, decimal points, prefixes, units
// and annunciators) are state, not widgets: the panel paints the shown ones in drawing order.
// A member whose visibility and caption did not change costs nothing; one that did repaints
// its own place only, so a frame that changes one digit redraws one digit.
class LcdPanel : public QFrame {
    Q_OBJECT
public:
    explicit LcdPanel(QWidget *parent);

    // Members go by the names of the window design.
    const QString &memberName(LcdMember member) const { return at(member).name; }
    std::optional<LcdMember> memberNamed(QStringView name) const;

    bool isShown(LcdMember member) const { return at(member).shown; }
    void setShown(LcdMember member, bool shown);
    const QString &caption(LcdMember member) const { return at(member).caption; }
    void setCaption(LcdMember member, const QString &caption);
    // Where the member is drawn, in the panel's coordinates, and in which font.
    QRect place(LcdMember member) const { return at(member).place; }
    QFont memberFont(LcdMember member) const { return at(member).font; }
    // The decimal points are filled shapes; every other member is a caption.
    bool isShape(LcdMember member) const { return at(member).shape; }

    // Shows exactly the members the presentation lights and writes the four digit captions.
    void showMembers(const LcdPresentation &shown);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Member {
        QString name;
        QString caption;
        QFont font;
        QRect place;
        bool opaque = false; // paints the panel's white behind its caption
        bool shape = false;
        bool shown = false;
        // Captions too large for the painter's glyph cache are kept as their outlines, traced
        // at the first paint that shows a caption and kept for the next time it is shown: a
        // digit takes few captions, and a meter at line rate changes them several times
        // between two paints.
        bool outlined = false;
        QHash<QString, QPainterPath> outlines;
        // The outlines filled once in the caption colour, to be laid over the panel as the
        // painter would fill them there.
        QHash<QString, QImage> pictures;
        QColor picturesInk;
        qreal picturesRatio = 0;
        // Smaller captions as laid out for the paints before.
        TextDrawer texts{QFont()};
    };

    const Member &at(LcdMember member) const { return m_members[index(member)]; }
    void updatePlace(const Member &member);
    static const QPainterPath &outline(Member &member);
    static const QImage &picture(Member &member, const QColor &ink, qreal ratio);

    std::array<Member, kLcdMemberCount> m_members;
    // Where showMembers() collects the places it changed; null outside it.
    QRegion *m_changedPlaces = nullptr;
};

} // namespace vireo
