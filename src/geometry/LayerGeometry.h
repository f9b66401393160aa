#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace quarvel {

/** How a feature is drawn: as points, as lines, or as filled rings. */
enum class ShapeKind : std::uint8_t { None, Point, Line, Polygon };

/** The smallest rectangle that holds some points; empty before the first. */
struct Extent {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    bool empty() const { return !(minX <= maxX && minY <= maxY); }
    void add(double x, double y) {
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
};

/**
 * The shapes of a table's records, one feature a record in record order, kept compactly: every
 * coordinate in one flat array (x and y in turn), the parts (a point of a multi-point, a line, a
 * polygon's ring) as offsets into it, the features as offsets into the parts. A point layer
 * keeps no part offsets (each part is one point), and a layer of one kind keeps no kind a
 * feature, so a million points take 20 bytes each. A feature without parts is a record without
 * geometry: it counts, and is drawn nowhere. The rings of a polygon feature (holes, the polygons
 * of a multi-polygon) are filled together, even-odd.
 */
class LayerGeometry {
public:
    /** A part's points: count pairs of x and y from xy on. */
    struct Part {
        const double* xy = nullptr;
        std::uint32_t count = 0;
    };

    /** Starts the next feature; its parts follow. ShapeKind::None for a record without one. */
    void beginFeature(ShapeKind kind);
    /** Starts a part of the current feature with its next point; a part without points is none. */
    void beginPart() { newPart_ = true; }
    void addPoint(double x, double y);
    /** Gives back what building reserved too much, once every feature is in. */
    void finish();
    void reserveFeatures(std::size_t count);

    std::size_t featureCount() const {
        return featureStart_.empty() ? 0 : featureStart_.size() - 1;
    }
    ShapeKind kind(std::size_t feature) const { return kinds_.empty() ? kind_ : kinds_[feature]; }
    std::uint32_t firstPart(std::size_t feature) const { return featureStart_[feature]; }
    std::uint32_t endPart(std::size_t feature) const { return featureStart_[feature + 1]; }
    Part part(std::uint32_t index) const {
        const std::uint32_t first = partStart_.empty() ? index : partStart_[index];
        const std::uint32_t end = partStart_.empty() ? index + 1 : partStart_[index + 1];
        return {xy_.data() + 2 * static_cast<std::size_t>(first), end - first};
    }
    /** Whether the feature has a point to draw. */
    bool hasShape(std::size_t feature) const { return endPart(feature) > firstPart(feature); }

    /** The extent of every point held (records without geometry do not count). */
    const Extent& extent() const { return extent_; }
    std::size_t pointCount() const { return xy_.size() / 2; }
    /** Bytes held for the geometry, and bytes its coordinates take (16 a point). */
    std::size_t bytes() const;
    std::size_t coordinateBytes() const { return xy_.size() * sizeof(double); }

private:
    std::vector<double> xy_;
    /** Each part's first point, and the end; empty while every part is a single point. */
    std::vector<std::uint32_t> partStart_;
    /** Each feature's first part, and the end. */
    std::vector<std::uint32_t> featureStart_;
    /** Each feature's kind; empty while every feature with parts is of kind_. */
    std::vector<ShapeKind> kinds_;
    ShapeKind kind_ = ShapeKind::None;
    std::uint32_t parts_ = 0;
    bool newPart_ = true; ///< the next point starts a part
    Extent extent_;
};

} // namespace quarvel
