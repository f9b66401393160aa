#pragma once

#include "Canvas.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRectF>

class QPainter;

namespace quarvel {

/**
 * Draws onto a QPainter inside a rectangle of its device: the screen, an image, an SVG or
 * a PDF. Positions are computed in doubles, and shapes far outside the rectangle are cut
 * to it, so no value can make the painter misbehave. On raster devices the detailed
 * view's many circles are stamped from a small pre-drawn image of the circle.
 */
class PainterCanvas final : public Canvas {
public:
    PainterCanvas(QPainter& painter, const QRectF& area, const QColor& background, bool raster);

    void clear() override;
    void setScale(double left, double top, double right, double bottom) override;
    void setColor(Rgb color) override;
    void setLineStyle(LineStyle style) override;
    void line(double x1, double y1, double x2, double y2) override;
    void rectangle(double x1, double y1, double x2, double y2, bool filled) override;
    void text(double x, double y, const std::string& text) override;
    void circle(double x, double y, double radius) override;

private:
    QPointF map(double x, double y) const;
    void applyPen();
    const QImage& circleStamp(int radius);

    QPainter& painter_;
    QRectF area_;
    QColor background_;
    bool raster_;
    double left_ = 0;
    double top_ = 0;
    double right_ = 1;
    double bottom_ = 1;
    QColor color_ = Qt::black;
    LineStyle style_ = LineStyle::Solid;
    QHash<quint64, QImage> stamps_;
};

} // namespace quarvel
