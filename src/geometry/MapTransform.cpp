#include "MapTransform.h"

#include <algorithm>
#include <cmath>

namespace quarvel {

MapTransform MapTransform::fit(const Extent& extent, double width, double height, double margin) {
    MapTransform view;
    view.width = width;
    view.height = height;
    if (extent.empty()) {
        return view;
    }
    view.centreX = (extent.minX + extent.maxX) / 2;
    view.centreY = (extent.minY + extent.maxY) / 2;
    const double across = extent.maxX - extent.minX;
    const double down = extent.maxY - extent.minY;
    const double roomAcross = std::max(1.0, width - 2 * margin);
    const double roomDown = std::max(1.0, height - 2 * margin);
    if (across > 0 && down > 0) {
        view.scale = std::min(roomAcross / across, roomDown / down);
    } else if (across > 0) {
        view.scale = roomAcross / across;
    } else if (down > 0) {
        view.scale = roomDown / down;
    }
    return view;
}

MapTransform MapTransform::zoomedAbout(double px, double py, double factor) const {
    MapTransform zoomed = *this;
    const double x = mapX(px);
    const double y = mapY(py);
    zoomed.scale = scale * factor;
    // The map point under the pixel stays under it.
    zoomed.centreX = x - (px - width / 2) / zoomed.scale;
    zoomed.centreY = y + (py - height / 2) / zoomed.scale;
    return zoomed;
}

MapTransform MapTransform::panned(double dx, double dy) const {
    MapTransform moved = *this;
    moved.centreX -= dx / scale;
    moved.centreY += dy / scale;
    return moved;
}

MapTransform MapTransform::resized(double newWidth, double newHeight) const {
    MapTransform sized = *this;
    sized.width = newWidth;
    sized.height = newHeight;
    return sized;
}

namespace {

// Whether the rings of a polygon hold the map point, even-odd.
bool ringsHold(const LayerGeometry& geometry, std::size_t feature, double x, double y) {
    bool inside = false;
    for (std::uint32_t p = geometry.firstPart(feature); p < geometry.endPart(feature); ++p) {
        const LayerGeometry::Part ring = geometry.part(p);
        if (ring.count < 3) {
            continue;
        }
        const double* v = ring.xy;
        double ax = v[2 * (ring.count - 1)];
        double ay = v[2 * (ring.count - 1) + 1];
        for (std::uint32_t k = 0; k < ring.count; ++k) {
            const double bx = v[2 * k];
            const double by = v[2 * k + 1];
            if ((ay > y) != (by > y) && x < ax + (y - ay) * (bx - ax) / (by - ay)) {
                inside = !inside;
            }
            ax = bx;
            ay = by;
        }
    }
    return inside;
}

// The squared distance in pixels from (px, py) to the segment from a to b.
double squaredDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length = dx * dx + dy * dy;
    double t = length > 0 ? ((px - ax) * dx + (py - ay) * dy) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = ax + t * dx - px;
    const double ey = ay + t * dy - py;
    return ex * ex + ey * ey;
}

bool lineNear(const LayerGeometry& geometry, std::size_t feature, const MapTransform& view,
              double px, double py) {
    const double reach = kLineWidth / 2 + 1;
    for (std::uint32_t p = geometry.firstPart(feature); p < geometry.endPart(feature); ++p) {
        const LayerGeometry::Part line = geometry.part(p);
        double ax = view.pixelX(line.xy[0]);
        double ay = view.pixelY(line.xy[1]);
        if (line.count == 1 && squaredDistance(px, py, ax, ay, ax, ay) <= reach * reach) {
            return true;
        }
        for (std::uint32_t k = 1; k < line.count; ++k) {
            const double bx = view.pixelX(line.xy[2 * k]);
            const double by = view.pixelY(line.xy[2 * k + 1]);
            if (squaredDistance(px, py, ax, ay, bx, by) <= reach * reach) {
                return true;
            }
            ax = bx;
            ay = by;
        }
    }
    return false;
}

bool pointNear(const LayerGeometry& geometry, std::size_t feature, const MapTransform& view,
               double px, double py) {
    const double reach = kPointDiameter / 2 + 0.5;
    for (std::uint32_t p = geometry.firstPart(feature); p < geometry.endPart(feature); ++p) {
        const LayerGeometry::Part point = geometry.part(p);
        for (std::uint32_t k = 0; k < point.count; ++k) {
            const double dx = view.pixelX(point.xy[2 * k]) - px;
            const double dy = view.pixelY(point.xy[2 * k + 1]) - py;
            if (dx * dx + dy * dy <= reach * reach) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

long FeatureAt(const LayerGeometry& geometry, const MapTransform& view, double px, double py) {
    const double x = view.mapX(px);
    const double y = view.mapY(py);
    for (std::size_t feature = geometry.featureCount(); feature-- > 0;) {
        if (!geometry.hasShape(feature)) {
            continue;
        }
        bool hit = false;
        switch (geometry.kind(feature)) {
        case ShapeKind::Polygon:
            hit = ringsHold(geometry, feature, x, y);
            break;
        case ShapeKind::Line:
            hit = lineNear(geometry, feature, view, px, py);
            break;
        case ShapeKind::Point:
            hit = pointNear(geometry, feature, view, px, py);
            break;
        case ShapeKind::None:
            break;
        }
        if (hit) {
            return static_cast<long>(feature);
        }
    }
    return -1;
}

} // namespace quarvel
