#pragma once

#include <cstdint>
#include <string>

namespace quarvel {

/** A colour as red, green and blue from 0 to 255. */
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class LineStyle { Solid, Dashed };

/**
 * The drawing surface of the plot: logical coordinates set by setScale, a current colour
 * and line style, and a few shapes. Implementations differ in where the drawing goes: a
 * display list that records it (for tests, and for replaying onto the screen or a file),
 * or a painter on a widget, an image, an SVG or a PDF.
 */
class Canvas {
public:
    virtual ~Canvas() = default;

    /** Fills the drawing area with the background colour. */
    virtual void clear() = 0;
    /** Maps (left, top) to the top-left and (right, bottom) to the bottom-right corner. */
    virtual void setScale(double left, double top, double right, double bottom) = 0;
    virtual void setColor(Rgb color) = 0;
    virtual void setLineStyle(LineStyle style) = 0;
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    /** Two opposite corners; the outline in the current colour, or filled with it. */
    virtual void rectangle(double x1, double y1, double x2, double y2, bool filled) = 0;
    /** The text's top-left corner at (x, y). */
    virtual void text(double x, double y, const std::string& text) = 0;
    /** A circle outline that is round on screen; the radius is in horizontal units. */
    virtual void circle(double x, double y, double radius) = 0;
};

} // namespace quarvel
