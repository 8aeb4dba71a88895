#include "core/ScaleGeometry.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <span>

namespace vireo {

namespace {

constexpr double kLeftMargin = 20;
constexpr double kTopMargin = 30;
// The arc's span has always been converted to degrees with this rounded value of pi; the
// dial's marks are placed with it, so it stays.
constexpr double kSpanPi = 3.1415;
constexpr double kNeedleDrop = 4;
constexpr double kNeedleBaseBelowEnds = 280;

constexpr double kTickRadius = 6;
constexpr double kLabelRadius = 18;
constexpr double kFineDotRadius = 3;
constexpr std::int32_t kFineStepsPerCoarse = 10;

struct LabelPlace {
    std::string_view text;
    std::int32_t position;
    std::int32_t dx;
    std::int32_t dy;
};

// Labels in hundreds of counts; the offsets pull each text back so that it sits centred
// over its tick on that side of the arc.
constexpr LabelPlace kLabels4[] = {
    {"-40", 0, 5, 7}, {"-30", 10, 8, 6}, {"-20", 20, 10, 5}, {"-10", 30, 10, 4}, {"0", 40, 3, 4},
    {"10", 50, 5, 5}, {"20", 60, 8, 5},  {"30", 70, 10, 6},  {"40", 80, 12, 7},
};
constexpr LabelPlace kLabels34[] = {
    {"-30", 4, 8, 6}, {"-20", 14, 10, 5}, {"-10", 24, 10, 4}, {"0", 34, 3, 4},
    {"10", 44, 5, 5}, {"20", 54, 8, 5},   {"30", 64, 10, 6},
};
constexpr LabelPlace kLabels6[] = {
    {"-60", 0, 5, 7}, {"-45", 15, 8, 6}, {"-30", 30, 10, 5}, {"-15", 45, 10, 4}, {"0", 60, 3, 4},
    {"15", 75, 5, 5}, {"30", 90, 8, 5},  {"45", 105, 10, 6}, {"60", 120, 11, 7},
};

std::span<const LabelPlace> labelsFor(std::string_view scaleKind)
{
    if (scaleKind == "4")
        return kLabels4;
    if (scaleKind == "34")
        return kLabels34;
    if (scaleKind == "6")
        return kLabels6;
    return {};
}

std::optional<ScaleColour> tickColourFor(std::string_view scaleKind, std::int32_t i)
{
    if (scaleKind == "6" && i % 15 == 0)
        return ScaleColour::Red;
    if (scaleKind == "4" && i % 10 == 0)
        return ScaleColour::White;
    if (scaleKind == "34" && i % 10 == 4)
        return ScaleColour::Red;
    return std::nullopt;
}

// Nearest pixel, ties to even, plus the margin. Far-off needle bases saturate instead of
// overflowing; they lie outside any picture either way.
std::int32_t toPixel(double margin, double v)
{
    const double p = std::nearbyint(v) + margin;
    if (p >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (p <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(p);
}

} // namespace

ScaleGeometry::ScaleGeometry(std::int32_t panelWidth, std::int32_t panelHeight)
    : m_chordWidth(panelWidth - 40), m_arcHeight(panelHeight - 60)
{
    if (!hasArc())
        return;
    const double w = m_chordWidth;
    const double h = m_arcHeight;
    m_radius = static_cast<float>((4 * h * h + w * w) / (8 * h));
    // The arc's half-angle seen from its centre. An arc higher than half its chord has its
    // centre above the chord (the radius is less than the height) and a half-angle past 90
    // degrees, so it is taken by quadrant rather than from the plain ratio, which would mirror
    // the dial and divide by zero where the arc is exactly a half circle.
    m_span = static_cast<float>(2 * std::atan2(w / 2, m_radius - h) * 180 / kSpanPi);
    m_leftAngle = static_cast<float>((180 - static_cast<double>(m_span)) / 2);
}

float ScaleGeometry::angleFor(std::int32_t position, std::int32_t steps) const
{
    const double degrees =
        static_cast<double>(m_span) / steps * position + static_cast<double>(m_leftAngle);
    return static_cast<float>(degrees * std::numbers::pi / 180);
}

ScalePoint ScaleGeometry::pointAt(float theta, double r) const
{
    const double w = m_chordWidth;
    const double t = theta;
    return {toPixel(kLeftMargin, w / 2 - r * std::cos(t)),
            toPixel(kTopMargin, m_radius - r * std::sin(t))};
}

NeedleLine ScaleGeometry::needleAt(float theta) const
{
    const double w = m_chordWidth;
    const double h = m_arcHeight;
    const double r = m_radius;
    const double t = theta;
    const double c = std::cos(t);
    const double s = std::sin(t);
    const ScalePoint tip{toPixel(kLeftMargin, w / 2 - r * c),
                         toPixel(kTopMargin, r - r * s + kNeedleDrop)};
    // Distance of the base line below the centre, taken along the radius by dividing by
    // sin(theta). A horizontal radius never meets that line: its base is sent to the far
    // side it points to, or to the centre when the line runs through the centre itself.
    const double d = r - h - kNeedleBaseBelowEnds;
    double along = 0;
    if (s != 0)
        along = d * c / s;
    else if (d != 0)
        along = std::copysign(std::numeric_limits<double>::infinity(), d * c);
    const ScalePoint base{toPixel(kLeftMargin, w / 2 - along),
                          toPixel(kTopMargin, h + kNeedleBaseBelowEnds)};
    return {tip, base};
}

std::optional<NeedleLine> ScaleGeometry::needle(std::int32_t position, std::int32_t ScaleSpan) const
{
    if (!hasArc() || ScaleSpan <= 0)
        return std::nullopt;
    return needleAt(angleFor(position, ScaleSpan * kFineStepsPerCoarse));
}

std::optional<std::vector<DialPrimitive>> ScaleGeometry::dial(const ScaleClass &scale,
                                                              const ScaleMarks &marks) const
{
    if (!hasArc() || scale.ScaleSpan <= 0)
        return std::nullopt;
    const std::span<const LabelPlace> labels = labelsFor(scale.ScaleKind);
    const double r = m_radius;
    const std::int32_t fineSteps = scale.ScaleSpan * kFineStepsPerCoarse;

    std::vector<DialPrimitive> out;
    out.reserve(static_cast<std::size_t>(fineSteps) + labels.size() +
                static_cast<std::size_t>(scale.ScaleSpan) + 2);
    for (std::int32_t i = 0; i <= scale.ScaleSpan; ++i) {
        const float theta = angleFor(i, scale.ScaleSpan);
        for (const LabelPlace &label : labels) {
            if (label.position != i)
                continue;
            const ScalePoint at = pointAt(theta, r + kLabelRadius);
            out.push_back({DialMark::Label,
                           {at.x - label.dx, at.y - label.dy},
                           ScaleColour::Black,
                           label.text});
        }
        if (const auto colour = tickColourFor(scale.ScaleKind, i))
            out.push_back({DialMark::TickDot, pointAt(theta, r + kTickRadius), *colour, {}});
    }

    const std::int32_t zeroPosition = scale.FullScaleCount / kFineStepsPerCoarse;
    for (std::int32_t j = 0; j <= fineSteps; ++j) {
        const double count = static_cast<double>(j - zeroPosition) * kFineStepsPerCoarse;
        ScaleColour colour = ScaleColour::Black;
        if ((marks.SetMaxB && count > marks.LimitHigh) || (marks.SetMinB && count < marks.LimitLow))
            colour = ScaleColour::Red;
        out.push_back(
            {DialMark::FineDot, pointAt(angleFor(j, fineSteps), r + kFineDotRadius), colour, {}});
    }
    return out;
}

} // namespace vireo
