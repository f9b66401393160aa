#include "PainterCanvas.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quarvel {
namespace {

// Far enough outside any drawing area to look the same, near enough for the rasteriser.
constexpr double kMargin = 10000;

bool finite(const QPointF& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Cuts the line to the rectangle (Liang-Barsky); false when nothing of it is inside.
bool clipLine(QPointF& a, QPointF& b, const QRectF& box) {
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                         box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const QRectF& area, const QColor& background,
                             bool raster)
    : painter_(painter), area_(area), background_(background), raster_(raster) {
    painter_.setClipRect(area_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    applyPen();
}

QPointF PainterCanvas::map(double x, double y) const {
    return QPointF(area_.left() + (x - left_) / (right_ - left_) * area_.width(),
                   area_.top() + (y - top_) / (bottom_ - top_) * area_.height());
}

void PainterCanvas::applyPen() {
    QPen pen(color_);
    pen.setWidth(0); // one device pixel, whatever the device
    pen.setStyle(style_ == LineStyle::Dashed ? Qt::DashLine : Qt::SolidLine);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
}

void PainterCanvas::clear() {
    painter_.fillRect(area_, background_);
}

void PainterCanvas::setScale(double left, double top, double right, double bottom) {
    if (left == right || top == bottom) {
        return;
    }
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

void PainterCanvas::setColor(Rgb color) {
    color_ = QColor(color.red, color.green, color.blue);
    applyPen();
}

void PainterCanvas::setLineStyle(LineStyle style) {
    style_ = style;
    applyPen();
}

void PainterCanvas::line(double x1, double y1, double x2, double y2) {
    QPointF a = map(x1, y1);
    QPointF b = map(x2, y2);
    if (!finite(a) || !finite(b) ||
        !clipLine(a, b, area_.adjusted(-kMargin, -kMargin, kMargin, kMargin))) {
        return;
    }
    painter_.drawLine(a, b);
}

void PainterCanvas::rectangle(double x1, double y1, double x2, double y2, bool filled) {
    const QPointF a = map(x1, y1);
    const QPointF b = map(x2, y2);
    if (!finite(a) || !finite(b)) {
        return;
    }
    const QRectF box = QRectF(a, b).normalized();
    if (box.width() == 0 || box.height() == 0) {
        // A box of no width (all three quartiles equal) still shows, as a line.
        line(x1, y1, x2, y2);
        return;
    }
    const QRectF visible = box.intersected(area_.adjusted(-kMargin, -kMargin, kMargin, kMargin));
    if (visible.isEmpty()) {
        return;
    }
    if (filled) {
        painter_.fillRect(visible, color_);
    } else {
        painter_.drawRect(visible);
    }
}

void PainterCanvas::text(double x, double y, const std::string& text) {
    const QPointF at = map(x, y);
    if (!finite(at) || !area_.adjusted(-kMargin, -kMargin, kMargin, kMargin).contains(at)) {
        return;
    }
    painter_.drawText(QRectF(at, QSizeF(kMargin, kMargin)), Qt::AlignLeft | Qt::AlignTop,
                      QString::fromStdString(text));
}

const QImage& PainterCanvas::circleStamp(int radius) {
    const quint64 key = (quint64(color_.rgb()) << 16) | quint64(radius);
    auto found = stamps_.find(key);
    if (found != stamps_.end()) {
        return *found;
    }
    QImage stamp(2 * radius + 3, 2 * radius + 3, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    QPainter p(&stamp);
    p.setRenderHint(QPainter::Antialiasing); // a round outline, even at four pixels
    p.setPen(QPen(color_, 1));
    p.drawEllipse(QPointF(radius + 1.5, radius + 1.5), radius, radius);
    return *stamps_.insert(key, stamp);
}

void PainterCanvas::circle(double x, double y, double radius) {
    const QPointF centre = map(x, y);
    const double pixels = std::fabs(radius / (right_ - left_) * area_.width());
    if (!finite(centre) || !std::isfinite(pixels) ||
        !area_.adjusted(-pixels - 1, -pixels - 1, pixels + 1, pixels + 1).contains(centre)) {
        return;
    }
    if (raster_) {
        const int r = std::max(1, static_cast<int>(std::lround(pixels)));
        const QImage& stamp = circleStamp(r);
        painter_.drawImage(QPointF(std::round(centre.x()) - r - 1, std::round(centre.y()) - r - 1),
                           stamp);
    } else {
        painter_.drawEllipse(centre, pixels, pixels);
    }
}

} // namespace quarvel
