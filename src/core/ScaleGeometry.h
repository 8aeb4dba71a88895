#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// A pixel of the dial's picture.
struct ScalePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    bool operator==(const ScalePoint &) const = default;
};

enum class ScaleColour { Black, Red, White };

enum class DialMark { Label, TickDot, FineDot };

// One thing to draw on the dial. A label's text goes with its top-left corner at `at`;
// a dot is an ellipse in the box from `at` to `at` + (2, 2).
struct DialPrimitive {
    DialMark mark = DialMark::FineDot;
    ScalePoint at;
    ScaleColour colour = ScaleColour::Black;
    std::string_view text; // labels only; points into static storage
};

// The count class the dial is laid out for.
struct ScaleClass {
    std::string ScaleKind; // "4", "34" or "6"
    std::int32_t ScaleSpan = 0;
    std::int32_t FullScaleCount = 0;
};

// The scale limits and whether each is marked on the dial.
struct ScaleMarks {
    float LimitHigh = 0;
    float LimitLow = 0;
    bool SetMaxB = false;
    bool SetMinB = false;
};

// The pointer as a line from the arc (tip) towards the arc's centre (base).
struct NeedleLine {
    ScalePoint tip;
    ScalePoint base;

    bool operator==(const NeedleLine &) const = default;
};

// Where the dial's arc, marks and pointer lie on a panel of a given size. The arc spans the
// panel less a margin of 20 pixels left and right and 30 at top and bottom; the radius,
// span and angles are kept in single precision between steps so that every point lands on
// the same pixel on every run.
class ScaleGeometry {
public:
    ScaleGeometry(std::int32_t panelWidth, std::int32_t panelHeight);

    // A panel no wider than 40 or no taller than 60 pixels leaves no arc to draw on.
    bool hasArc() const { return m_chordWidth > 0 && m_arcHeight > 0; }

    std::int32_t chordWidth() const { return m_chordWidth; }
    std::int32_t arcHeight() const { return m_arcHeight; }
    float radius() const { return m_radius; }

    // Angle in radians of position `position` on a scale of `steps` (> 0) steps; 0 is the
    // left end.
    float angleFor(std::int32_t position, std::int32_t steps) const;
    // The point at distance `r` from the arc's centre along angle `theta`.
    ScalePoint pointAt(float theta, double r) const;
    // The pointer along angle `theta`: the tip sits on the arc moved 4 pixels down, the base
    // where the radius meets the line 280 pixels below the arc's ends.
    NeedleLine needleAt(float theta) const;

    // The pointer at a fine-scale position (`ScaleSpan` x 10 steps); positions outside the
    // scale are drawn where the arc would continue. Empty when there is no arc.
    std::optional<NeedleLine> needle(std::int32_t position, std::int32_t ScaleSpan) const;
    // Everything on the dial, in drawing order. Empty when there is no arc.
    std::optional<std::vector<DialPrimitive>> dial(const ScaleClass &scale,
                                                   const ScaleMarks &marks) const;

private:
    std::int32_t m_chordWidth;
    std::int32_t m_arcHeight;
    float m_radius = 0;
    float m_span = 0;
    float m_leftAngle = 0;
};

} // namespace vireo
