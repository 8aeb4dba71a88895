#include "app/lcd/LcdPanel.h"

#include "app/paint/DrawInEachRect.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QTextLayout>

#include <cmath>

namespace vireo {

namespace {

const QString kA2 = QStringLiteral("VORDA-A2");
const QString kA3 = QStringLiteral("VORDA-A3");
const QString kArial = QStringLiteral("Arial");

// The LCD panel as designed: every member at its place, in drawing order.
struct LcdDesign {
    LcdMember member;
    const char *name;
    const char *caption; // nullptr: a decimal-point shape
    const QString *family;
    int px;
    bool bold;
    QRect place;
    bool opaque;
};

const LcdDesign kLcdDesign[kLcdMemberCount] = {
    {LcdMember::LCDM1, "LCDM1", "M", &kA2, 24, false, {230, 57, 20, 28}, false},
    {LcdMember::LcdDa, "LcdDa", "5", &kA3, 100, false, {40, 20, 56, 113}, false},
    {LcdMember::LcdAuto, "LcdAuto", "AUTO", &kA2, 19, true, {8, 11, 54, 22}, false},
    {LcdMember::Lcdm, "Lcdm", "m", &kA2, 24, false, {232, 81, 26, 28}, false},
    {LcdMember::LCDRS, "LCDRS", "Connect", &kA2, 19, true, {70, 11, 78, 22}, true},
    {LcdMember::LcdDb, "LcdDb", "9", &kA3, 100, false, {88, 20, 56, 113}, false},
    {LcdMember::LcdDc, "LcdDc", "9", &kA3, 100, false, {136, 20, 56, 113}, false},
    {LcdMember::LcdDd, "LcdDd", "9", &kA3, 100, false, {184, 20, 56, 113}, false},
    {LcdMember::LcdP3, "LcdP3", nullptr, nullptr, 0, false, {176, 105, 7, 8}, false},
    {LcdMember::LcdP2, "LcdP2", nullptr, nullptr, 0, false, {127, 105, 7, 8}, false},
    {LcdMember::LcdP1, "LcdP1", nullptr, nullptr, 0, false, {79, 105, 7, 8}, false},
    {LcdMember::LcdFH, "LcdFH", "-", &kA3, 100, false, {5, 20, 26, 112}, false},
    {LcdMember::LcdAC, "LcdAC", "AC", &kA2, 21, true, {6, 38, 30, 24}, false},
    {LcdMember::LCD232C, "LCD232C", " ", &kArial, 14, true, {98, -1, 4, 16}, true},
    {LcdMember::LcdV, "LcdV", "V", &kA2, 24, false, {256, 83, 16, 28}, false},
    {LcdMember::LCDk, "LCDk", "k", &kA2, 27, false, {238, 55, 14, 31}, false},
    {LcdMember::LCDn, "LCDn", "n", &kA2, 24, false, {240, 82, 13, 28}, false},
    {LcdMember::LCDBF, "LCDBF", "%", &kA2, 24, false, {136, 8, 21, 28}, false},
    {LcdMember::LCDA, "LCDA", "A", &kA2, 24, false, {256, 82, 16, 28}, false},
    {LcdMember::LCDHz, "LCDHz", "Hz", &kA2, 24, false, {248, 58, 28, 28}, false},
    {LcdMember::LCDF, "LCDF", "F", &kA2, 24, false, {256, 82, 15, 28}, false},
    {LcdMember::LCDHold, "LCDHold", "\"", &kA2, 35, false, {160, -2, 12, 40}, false},
    {LcdMember::LCDRec, "LCDRec", "!", &kA2, 32, false, {184, 3, 9, 37}, false},
    {LcdMember::LCDBATT, "LCDBATT", "$", &kA2, 35, false, {208, 0, 19, 40}, false},
    {LcdMember::LCDBT, "LCDBT", "(", &kA2, 35, false, {232, 33, 12, 40}, false},
    {LcdMember::LCDCS, "LCDCS", "#", &kA2, 32, false, {248, 33, 18, 37}, false},
    {LcdMember::LCDFS, "LCDFS", "?", &kA2, 32, false, {248, 33, 18, 37}, false},
    {LcdMember::LCDDI, "LCDDI", ")", &kA2, 29, false, {248, 33, 10, 34}, false},
    {LcdMember::LCDohm, "LCDohm", "*", &kA2, 29, false, {256, 54, 11, 34}, false},
    {LcdMember::LCDFm, "LCDFm", "&", &kA2, 32, false, {248, 31, 25, 36}, false},
    {LcdMember::LCDu, "LCDu", "+", &kA2, 32, false, {240, 75, 19, 37}, false},
    {LcdMember::LcdDc1, "LcdDc1", "DC", &kA2, 21, true, {5, 38, 30, 24}, false},
    {LcdMember::LcdRPM, "LcdRPM", "RPM", &kA2, 19, true, {230, 11, 43, 22}, false},
    {LcdMember::LCDTRMST, "LCDTRMST", "", &kA2, 19, true, {230, 10, 5, 22}, false},
    {LcdMember::LCDTRMS, "LCDTRMS", "", &kA2, 12, true, {241, 16, 3, 15}, false},
    {LcdMember::LcdACDC, "LcdACDC", "AC", &kA2, 21, true, {5, 38, 30, 24}, false},
    {LcdMember::lcdManual, "lcdManual", "Manual", &kA2, 19, true, {8, 11, 68, 22}, false},
    {LcdMember::lcdhFE, "lcdhFE", "hFE", &kA2, 14, true, {5, 94, 27, 16}, false},
    {LcdMember::lcdMax, "lcdMax", "MAX", &kA2, 14, true, {5, 110, 31, 16}, false},
    {LcdMember::lcdMin, "lcdMin", "MIN", &kA2, 14, true, {5, 110, 27, 16}, false},
};

// The decimal points: a 5 px black pen around a white fill, which shows as a solid dot.
constexpr int kDotPen = 5;

// Above this size the painter keeps no glyph images: it shapes the caption and fills its
// outline on every paint. The panel fills the same outline, shaped once per caption.
constexpr int kLargestCachedGlyphPx = 64;
// A digit shows its ten numbers and a few letters and signs.
constexpr qsizetype kMostKeptOutlines = 32;

bool shownAtStart(LcdMember m)
{
    return m == LcdMember::LcdDa || m == LcdMember::LcdDb || m == LcdMember::LcdDc ||
           m == LcdMember::LcdDd || m == LcdMember::LcdFH;
}

} // namespace

LcdPanel::LcdPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setGeometry(3, 31, 285, 138);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    for (const LcdDesign &d : kLcdDesign) {
        Member &m = m_members[index(d.member)];
        m.name = QString::fromLatin1(d.name);
        m.place = d.place;
        m.opaque = d.opaque;
        m.shape = d.caption == nullptr;
        m.shown = shownAtStart(d.member);
        if (m.shape)
            continue;
        m.caption = QString::fromLatin1(d.caption);
        QFont f(*d.family);
        f.setPixelSize(d.px);
        f.setBold(d.bold);
        f.setStyleStrategy(QFont::PreferAntialias);
        // What the panel's font does not say comes from the window, as for any control.
        m.font = f.resolve(font());
        m.outlined = d.px > kLargestCachedGlyphPx;
        m.texts = TextDrawer(m.font);
    }
}

const QPainterPath &LcdPanel::outline(Member &member)
{
    const auto kept = member.outlines.constFind(member.caption);
    if (kept != member.outlines.cend())
        return *kept;
    // Code may give a member any caption: a member that has shown many forgets them all.
    if (member.outlines.size() >= kMostKeptOutlines)
        member.outlines.clear();
    // A caption the digit font lacks comes from a fallback font, whose ascent sets the line.
    QTextLayout layout(member.caption, member.font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(member.place.width());
    const qreal ascent = line.ascent();
    layout.endLayout();
    QPainterPath path;
    path.addText(QPointF(member.place.left(), member.place.top() + ascent), member.font,
                 member.caption);
    // Glyph outlines overlap where strokes join: they fill as the painter fills text.
    path.setFillRule(Qt::WindingFill);
    return *member.outlines.insert(member.caption, path);
}

const QImage &LcdPanel::picture(Member &member, const QColor &ink, qreal ratio)
{
    if (ink != member.picturesInk || ratio != member.picturesRatio) {
        member.pictures.clear();
        member.picturesInk = ink;
        member.picturesRatio = ratio;
    }
    const auto kept = member.pictures.constFind(member.caption);
    if (kept != member.pictures.cend())
        return *kept;
    if (member.pictures.size() >= kMostKeptOutlines)
        member.pictures.clear();
    QImage picture(member.place.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(-member.place.topLeft());
    painter.fillPath(outline(member), ink);
    painter.end();
    return *member.pictures.insert(member.caption, picture);
}

std::optional<LcdMember> LcdPanel::memberNamed(QStringView name) const
{
    for (std::size_t i = 0; i < kLcdMemberCount; ++i)
        if (m_members[i].name == name)
            return static_cast<LcdMember>(i);
    return std::nullopt;
}

void LcdPanel::updatePlace(const Member &member)
{
    if (m_changedPlaces != nullptr)
        *m_changedPlaces += member.place & rect();
    else
        update(member.place & rect());
}

void LcdPanel::setShown(LcdMember member, bool shown)
{
    Member &m = m_members[index(member)];
    if (m.shown == shown)
        return;
    m.shown = shown;
    updatePlace(m);
}

void LcdPanel::setCaption(LcdMember member, const QString &caption)
{
    Member &m = m_members[index(member)];
    if (m.shape || m.caption == caption)
        return;
    m.caption = caption;
    if (m.shown)
        updatePlace(m);
}

void LcdPanel::showMembers(const LcdPresentation &shown)
{
    // The places a frame changes are marked for repainting together.
    QRegion changed;
    m_changedPlaces = &changed;
    const auto collected = qScopeGuard([this] { m_changedPlaces = nullptr; });
    for (std::size_t i = 0; i < kLcdMemberCount; ++i)
        setShown(static_cast<LcdMember>(i), shown.visible.test(i));
    const LcdMember digitMembers[] = {LcdMember::LcdDa, LcdMember::LcdDb, LcdMember::LcdDc,
                                      LcdMember::LcdDd};
    for (std::size_t i = 0; i < shown.digits.size(); ++i) {
        const char &c = shown.digits[i];
        const QLatin1String digit(&c, c != '\0' ? 1 : 0);
        if (caption(digitMembers[i]) != digit)
            setCaption(digitMembers[i], digit);
    }
    m_changedPlaces = nullptr;
    if (!changed.isEmpty())
        update(changed);
}

void LcdPanel::paintEvent(QPaintEvent *event)
{
    // A member's change rarely reaches the bevel.
    if (!contentsRect().contains(event->rect()))
        QFrame::paintEvent(event);
    QPainter painter(this);
    const QRegion &dirty = event->region();
    const QPen captionPen(palette().brush(QPalette::WindowText), 0);
    QPen dotPen(Qt::black, kDotPen);
    dotPen.setJoinStyle(Qt::MiterJoin);
    for (Member &m : m_members) {
        if (!m.shown || !dirty.intersects(m.place))
            continue;
        // Each member is cut at its own place, as a control of that size would be.
        painter.setClipRect(m.place);
        if (m.shape) {
            // Up to twice the pen's width across, the pen covers every pixel of the place, and
            // a fill draws the same dot without stroking its outline.
            const QSize size = m.place.size();
            if (size.width() > kDotPen && size.height() > kDotPen && size.width() <= 2 * kDotPen &&
                size.height() <= 2 * kDotPen) {
                painter.fillRect(m.place, dotPen.color());
                continue;
            }
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(dotPen);
            painter.setBrush(Qt::white);
            const qreal inset = kDotPen / 2.0;
            painter.drawRect(QRectF(m.place).adjusted(inset, inset, -inset, -inset));
            continue;
        }
        if (m.opaque)
            painter.fillRect(m.place, palette().brush(QPalette::Window));
        if (m.caption.isEmpty())
            continue;
        if (m.outlined) {
            // A fill laid over the panel in whole pixels covers each pixel as the painter's
            // own fill would; in fractions of pixels, or with a patterned ink, it is filled.
            const qreal ratio = painter.device()->devicePixelRatio();
            const QBrush &ink = captionPen.brush();
            if (ratio == std::floor(ratio) && ink.style() == Qt::SolidPattern && ink.isOpaque()) {
                const QImage &shown = picture(m, ink.color(), ratio);
                drawInEachRect(painter, dirty & m.place,
                               [&](const QRect &) { painter.drawImage(m.place.topLeft(), shown); });
            } else {
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.fillPath(outline(m), ink);
            }
            continue;
        }
        painter.setPen(captionPen);
        m.texts.draw(painter, m.place, Qt::AlignLeft | Qt::AlignTop | Qt::TextForceLeftToRight,
                     m.caption);
    }
}

} // namespace vireo
