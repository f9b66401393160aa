#pragma once

#include "Canvas.h"
#include "StopCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarvel {

/**
 * A canvas that records what is drawn, with the colour and line style in force for each
 * shape, so that the drawing can be checked and replayed onto any other canvas (the
 * screen, an image, a file) as often as needed.
 */
class DisplayList final : public Canvas {
public:
    enum class Kind { Clear, Scale, Line, Rectangle, FilledRectangle, Text, Circle };

    struct Operation {
        Kind kind = Kind::Clear;
        double x1 = 0;
        double y1 = 0;
        double x2 = 0; ///< the right x of Scale; the radius of Circle
        double y2 = 0;
        Rgb color;
        LineStyle style = LineStyle::Solid;
        int text = -1; ///< index into texts() for Text
    };

    void clear() override;
    void setScale(double left, double top, double right, double bottom) override;
    void setColor(Rgb color) override { color_ = color; }
    void setLineStyle(LineStyle style) override { style_ = style; }
    void line(double x1, double y1, double x2, double y2) override;
    void rectangle(double x1, double y1, double x2, double y2, bool filled) override;
    void text(double x, double y, const std::string& text) override;
    void circle(double x, double y, double radius) override;

    /** Every operation in order, the circles one by one (made anew on each call). */
    std::vector<Operation> operations() const;
    const std::vector<std::string>& texts() const { return texts_; }
    bool empty() const { return operations_.empty(); }
    /**
     * The last drawn circle whose outline holds (x, y), counted among the circles from 0; a
     * circle spans its radius across and ry up and down. Nothing when no circle does.
     */
    std::optional<std::size_t> lastCircleHolding(double x, double y, double ry) const;

    /** A circle's centre and radius, in the drawing's units. */
    struct CirclePlace {
        double x = 0;
        double y = 0;
        double radius = 0;
    };
    /** The circle of this ordinal (counted among the circles from 0), or nothing. */
    std::optional<CirclePlace> circleAt(std::size_t ordinal) const;

    /** Bytes held for the recording, about 16 a circle. */
    std::size_t heldBytes() const;

    /**
     * Draws the recording onto another canvas, in the same order and colours; false when
     * stopRequested said stop part of the way.
     */
    bool replay(Canvas& target, const StopCheck& stopRequested = {}) const;

private:
    void add(Kind kind, double x1 = 0, double y1 = 0, double x2 = 0, double y2 = 0, int text = -1);

    // A circle whose height is exactly a float (as the detailed view's are) is kept in 16
    // bytes; a run of them, of one radius and line style, is one operation whose text counts
    // them from firstCircle on.
    struct PackedCircle {
        double x;
        float y;
        std::uint32_t rgb;
    };
    static_assert(sizeof(PackedCircle) == 16);
    struct Step {
        Operation operation;
        std::size_t firstCircle = 0; ///< for a run of packed circles (kind CircleRun)
    };
    static constexpr Kind kCircleRun = static_cast<Kind>(100);

    std::vector<Step> operations_;
    std::vector<PackedCircle> circles_;
    std::vector<std::string> texts_;
    Rgb color_;
    LineStyle style_ = LineStyle::Solid;
};

} // namespace quarvel
