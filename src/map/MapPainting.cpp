#include "MapPainting.h"

#include "SafeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace quarvel {
namespace {

const QColor kOutline(0x63, 0x63, 0x63);
const QColor kMarkColor(Qt::black);
constexpr double kMarkWidth = 3;

QColor classColor(MapClass of) {
    return QColor::fromRgb(static_cast<QRgb>(MapClassColor(of)));
}

// Coordinates beyond this many pixels outside the picture are cut off, so that no zoom can
// hand the painter numbers it cannot rasterize.
constexpr double kReach = 4096;

struct Bounds {
    double minX, minY, maxX, maxY;
};

class Painter {
public:
    Painter(QPainter& painter, const MapScene& scene, const MapTransform& view, bool raster,
            bool smooth)
        : painter_(painter), geometry_(*scene.geometry), classes_(*scene.classes), view_(view),
          raster_(raster),
          smooth_(smooth), safe_{-kReach, -kReach, view.width + kReach, view.height + kReach} {}

    bool paint(const MapMarks& marks, const StopCheck& stopRequested) {
        painter_.setRenderHint(QPainter::Antialiasing, !raster_ || smooth_);
        const std::size_t count = std::min(geometry_.featureCount(), classes_.size());
        for (std::size_t feature = 0; feature < count; ++feature) {
            if (feature % 16384 == 0 && stopRequested && stopRequested()) {
                return false;
            }
            draw(feature, classes_[feature], nullptr);
        }
        if (marks.any()) {
            for (std::size_t feature = 0; feature < count; ++feature) {
                if (feature % 16384 == 0 && stopRequested && stopRequested()) {
                    return false;
                }
                if (marks.holds(feature, classes_[feature])) {
                    draw(feature, classes_[feature], &kMarkColor);
                }
            }
        }
        return true;
    }

private:
    // One feature in its class's colour; with mark, its outline in the mark's colour instead.
    void draw(std::size_t feature, MapClass of, const QColor* mark) {
        const std::uint32_t first = geometry_.firstPart(feature);
        const std::uint32_t end = geometry_.endPart(feature);
        if (first == end) {
            return;
        }
        switch (geometry_.kind(feature)) {
        case ShapeKind::Point:
            for (std::uint32_t p = first; p < end; ++p) {
                const LayerGeometry::Part part = geometry_.part(p);
                for (std::uint32_t k = 0; k < part.count; ++k) {
                    point(view_.pixelX(part.xy[2 * k]), view_.pixelY(part.xy[2 * k + 1]), of, mark);
                }
            }
            return;
        case ShapeKind::Line:
            for (std::uint32_t p = first; p < end; ++p) {
                line(geometry_.part(p), of, mark);
            }
            return;
        case ShapeKind::Polygon:
            polygon(first, end, of, mark);
            return;
        case ShapeKind::None:
            return;
        }
    }

    // The part's points as pixels, and whether any of it can show.
    bool toPixels(const LayerGeometry::Part& part, Bounds& bounds) {
        pixels_.resize(static_cast<qsizetype>(part.count));
        bounds = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                  -std::numeric_limits<double>::infinity(),
                  -std::numeric_limits<double>::infinity()};
        QPointF* out = pixels_.data();
        for (std::uint32_t k = 0; k < part.count; ++k) {
            const double x = view_.pixelX(part.xy[2 * k]);
            const double y = view_.pixelY(part.xy[2 * k + 1]);
            out[k] = QPointF(x, y);
            bounds.minX = std::min(bounds.minX, x);
            bounds.maxX = std::max(bounds.maxX, x);
            bounds.minY = std::min(bounds.minY, y);
            bounds.maxY = std::max(bounds.maxY, y);
        }
        return bounds.maxX >= -8 && bounds.minX <= view_.width + 8 && bounds.maxY >= -8 &&
               bounds.minY <= view_.height + 8 && std::isfinite(bounds.minX + bounds.maxX) &&
               std::isfinite(bounds.minY + bounds.maxY);
    }

    bool beyondReach(const Bounds& b) const {
        return b.minX < safe_.minX || b.minY < safe_.minY || b.maxX > safe_.maxX ||
               b.maxY > safe_.maxY;
    }

    void point(double x, double y, MapClass of, const QColor* mark) {
        if (!(x >= -8 && x <= view_.width + 8 && y >= -8 && y <= view_.height + 8)) {
            return;
        }
        const double radius = kPointDiameter / 2;
        if (raster_ && mark == nullptr) {
            const QImage& stamp = stampOf(of);
            painter_.drawImage(QPoint(static_cast<int>(std::floor(x)) - kStampHalf,
                                      static_cast<int>(std::floor(y)) - kStampHalf),
                               stamp);
            return;
        }
        painter_.setPen(mark != nullptr ? QPen(*mark, kMarkWidth) : QPen(kOutline, 1));
        painter_.setBrush(classColor(of));
        painter_.drawEllipse(QPointF(x, y), radius, radius);
    }

    void line(const LayerGeometry::Part& part, MapClass of, const QColor* mark) {
        Bounds bounds{};
        if (!toPixels(part, bounds)) {
            return;
        }
        if (beyondReach(bounds)) {
            clampPixels();
        }
        painter_.setBrush(Qt::NoBrush);
        if (mark != nullptr) {
            // The line keeps its colour inside a black outline of 3 px on each side.
            painter_.setPen(QPen(*mark, kLineWidth + 2 * kMarkWidth, Qt::SolidLine, Qt::RoundCap,
                                 Qt::RoundJoin));
            painter_.drawPolyline(pixels_);
        }
        painter_.setPen(
            QPen(classColor(of), kLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.drawPolyline(pixels_);
    }

    void polygon(std::uint32_t first, std::uint32_t end, MapClass of, const QColor* mark) {
        painter_.setPen(mark != nullptr ? QPen(*mark, kMarkWidth) : QPen(kOutline, 1));
        painter_.setBrush(mark != nullptr ? QBrush(Qt::NoBrush) : QBrush(classColor(of)));
        if (end - first == 1) {
            Bounds bounds{};
            if (toPixels(geometry_.part(first), bounds)) {
                if (beyondReach(bounds)) {
                    clipPixels();
                }
                painter_.drawPolygon(pixels_, Qt::OddEvenFill);
            }
            return;
        }
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (std::uint32_t p = first; p < end; ++p) {
            Bounds bounds{};
            if (toPixels(geometry_.part(p), bounds)) {
                if (beyondReach(bounds)) {
                    clipPixels();
                }
                path.addPolygon(pixels_);
                path.closeSubpath();
            }
        }
        if (!path.isEmpty()) {
            painter_.drawPath(path);
        }
    }

    // A line far outside is only held back to the reach: its visible part keeps its place
    // closely enough, as the cut points lie thousands of pixels off the picture.
    void clampPixels() {
        for (QPointF& p : pixels_) {
            p.setX(std::clamp(p.x(), safe_.minX, safe_.maxX));
            p.setY(std::clamp(p.y(), safe_.minY, safe_.maxY));
        }
    }

    // A ring cut to the reach's rectangle, one side at a time (Sutherland-Hodgman), so that the
    // part on the picture keeps its exact shape.
    void clipPixels() {
        const auto clipSide = [this](auto inside, auto cross) {
            clipped_.clear();
            const qsizetype n = pixels_.size();
            for (qsizetype k = 0; k < n; ++k) {
                const QPointF& a = pixels_[(k + n - 1) % n];
                const QPointF& b = pixels_[k];
                if (inside(b)) {
                    if (!inside(a)) {
                        clipped_.append(cross(a, b));
                    }
                    clipped_.append(b);
                } else if (inside(a)) {
                    clipped_.append(cross(a, b));
                }
            }
            pixels_.swap(clipped_);
        };
        const auto atX = [](double x) {
            return [x](const QPointF& a, const QPointF& b) {
                return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
            };
        };
        const auto atY = [](double y) {
            return [y](const QPointF& a, const QPointF& b) {
                return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
            };
        };
        const Bounds s = safe_;
        clipSide([s](const QPointF& p) { return p.x() >= s.minX; }, atX(s.minX));
        clipSide([s](const QPointF& p) { return p.x() <= s.maxX; }, atX(s.maxX));
        clipSide([s](const QPointF& p) { return p.y() >= s.minY; }, atY(s.minY));
        clipSide([s](const QPointF& p) { return p.y() <= s.maxY; }, atY(s.maxY));
    }

    static constexpr int kStampHalf = 4;

    // A point's circle, drawn once a class and stamped for every point of it.
    const QImage& stampOf(MapClass of) {
        QImage& stamp = stamps_[static_cast<std::size_t>(of)];
        if (stamp.isNull()) {
            stamp =
                QImage(2 * kStampHalf + 1, 2 * kStampHalf + 1, QImage::Format_ARGB32_Premultiplied);
            stamp.fill(Qt::transparent);
            QPainter p(&stamp);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(kOutline, 1));
            p.setBrush(classColor(of));
            const double radius = kPointDiameter / 2;
            p.drawEllipse(QPointF(kStampHalf + 0.5, kStampHalf + 0.5), radius, radius);
        }
        return stamp;
    }

    QPainter& painter_;
    const LayerGeometry& geometry_;
    const std::vector<MapClass>& classes_;
    MapTransform view_;
    bool raster_;
    bool smooth_;
    Bounds safe_;
    QPolygonF pixels_;
    QPolygonF clipped_;
    std::array<QImage, kMapClassCount> stamps_;
};

} // namespace

bool PaintMap(QPainter& painter, const MapScene& scene, const MapTransform& view,
              const MapMarks& marks, bool raster, const StopCheck& stopRequested, bool smooth) {
    if (scene.geometry == nullptr || scene.classes == nullptr) {
        return true;
    }
    Painter drawer(painter, scene, view, raster, smooth);
    return drawer.paint(marks, stopRequested);
}

QImage RenderMap(const MapScene& scene, const MapTransform& view, const MapMarks& marks,
                 const StopCheck& stopRequested, bool smooth) {
    QImage image(std::max(1, static_cast<int>(std::lround(view.width))),
                 std::max(1, static_cast<int>(std::lround(view.height))), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (!PaintMap(painter, scene, view, marks, true, stopRequested, smooth)) {
        return QImage();
    }
    return image;
}

bool SaveMap(const MapScene& scene, const MapTransform& view, const MapMarks& marks,
             const QString& path, QString& error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size(static_cast<int>(std::lround(view.width)),
                     static_cast<int>(std::lround(view.height)));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("png")) {
        if (!RenderMap(scene, view, marks).save(&buffer, "PNG")) {
            error = QStringLiteral("the picture could not be made");
            return false;
        }
    } else if (suffix == QLatin1String("svg") || suffix == QLatin1String("pdf")) {
        std::unique_ptr<QPaintDevice> device;
        if (suffix == QLatin1String("svg")) {
            auto svg = std::make_unique<QSvgGenerator>();
            svg->setOutputDevice(&buffer);
            svg->setSize(size);
            svg->setViewBox(QRect(QPoint(0, 0), size));
            svg->setTitle(QStringLiteral("Quarvel map"));
            device = std::move(svg);
        } else {
            auto pdf = std::make_unique<QPdfWriter>(&buffer);
            pdf->setTitle(QStringLiteral("Quarvel map"));
            pdf->setResolution(96);
            pdf->setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
            pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
            device = std::move(pdf);
        }
        QPainter painter;
        if (!painter.begin(device.get())) {
            error = QStringLiteral("the drawing could not be made");
            return false;
        }
        // The page is laid out in the view's pixels, whatever the device's own units.
        const QRect page = painter.viewport();
        painter.setWindow(QRect(QPoint(0, 0), size));
        painter.setViewport(page);
        painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), Qt::white);
        PaintMap(painter, scene, view, marks, false);
        painter.end();
    } else {
        error = QStringLiteral("choose a name ending in .png, .svg or .pdf");
        return false;
    }
    buffer.close();
    return SaveWholeFile(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

} // namespace quarvel
