#pragma once

#include "LayerGeometry.h"

namespace quarvel {

/**
 * Where the map's coordinates land on a picture of width x height pixels: one scale for both
 * axes, x to the right, y up, the map point (centreX, centreY) at the picture's centre.
 */
struct MapTransform {
    double scale = 1; ///< pixels a map unit
    double centreX = 0;
    double centreY = 0;
    double width = 0;
    double height = 0;

    double pixelX(double x) const { return width / 2 + (x - centreX) * scale; }
    double pixelY(double y) const { return height / 2 - (y - centreY) * scale; }
    double mapX(double px) const { return centreX + (px - width / 2) / scale; }
    double mapY(double py) const { return centreY - (py - height / 2) / scale; }

    /**
     * The extent fitted into the picture, margin pixels kept free on every side, and centred.
     * An extent without width or height is fitted by its other side; a single point (or no
     * extent at all) is shown at one pixel a unit.
     */
    static MapTransform fit(const Extent& extent, double width, double height, double margin);
    /** The same view, zoomed by factor about the pixel (px, py), which stays where it is. */
    MapTransform zoomedAbout(double px, double py, double factor) const;
    /** The same view, the map moved by (dx, dy) pixels. */
    MapTransform panned(double dx, double dy) const;
    /** The same map centre and scale on a picture of another size. */
    MapTransform resized(double newWidth, double newHeight) const;
};

/** How large the map draws a point, a line and the outlines, in pixels. */
inline constexpr double kPointDiameter = 6;
inline constexpr double kLineWidth = 2;

/**
 * The feature drawn at the pixel (px, py), the topmost (the last drawn) where several are: a
 * point whose circle holds it, a line within its width (and a pixel more), a polygon whose
 * rings hold it even-odd. -1 where there is none.
 */
long FeatureAt(const LayerGeometry& geometry, const MapTransform& view, double px, double py);

} // namespace quarvel
