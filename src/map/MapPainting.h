#pragma once

#include "LayerGeometry.h"
#include "MapClasses.h"
#include "MapTransform.h"
#include "StopCheck.h"

#include <QImage>
#include <QString>

#include <vector>

class QPainter;

namespace quarvel {

/** What the map shows marked (outlined 3 px black): one record, and every record of a class. */
struct MapMarks {
    long record = -1;  ///< -1 for none
    int mapClass = -1; ///< a MapClass, or -1 for none

    bool any() const { return record >= 0 || mapClass >= 0; }
    bool holds(std::size_t feature, MapClass of) const {
        return static_cast<long>(feature) == record || static_cast<int>(of) == mapClass;
    }
};

/** What the map draws: each record's shape and class, record n of each. */
struct MapScene {
    const LayerGeometry* geometry = nullptr;
    const std::vector<MapClass>* classes = nullptr;
};

/**
 * Paints the features in record order (a later one over an earlier), each in its class's
 * colour: polygons filled and outlined 1 px #636363, lines 2 px wide, points as circles of 6
 * px, outlined like polygons; then the marks. The painter's device is the view's picture, of
 * view.width x view.height. raster: the device is an image (points are stamped from a
 * pre-drawn circle), drawn with hard edges, each pixel wholly in or out, unless smooth.
 * False when stopRequested said stop part of the way.
 */
bool PaintMap(QPainter& painter, const MapScene& scene, const MapTransform& view,
              const MapMarks& marks, bool raster, const StopCheck& stopRequested = {},
              bool smooth = false);

/**
 * The map as an image of the view's size on white, hard-edged unless smooth; a null image
 * when asked to stop.
 */
QImage RenderMap(const MapScene& scene, const MapTransform& view, const MapMarks& marks = {},
                 const StopCheck& stopRequested = {}, bool smooth = false);

/**
 * Writes the map (white, the features, the marks) to a file whose extension decides the
 * format: .png, .svg or .pdf, through a safe write. False, with the reason in error, when it
 * cannot.
 */
bool SaveMap(const MapScene& scene, const MapTransform& view, const MapMarks& marks,
             const QString& path, QString& error);

/** The size of the command line's map picture, and its margin. */
inline constexpr int kMapPictureWidth = 800;
inline constexpr int kMapPictureHeight = 600;
inline constexpr int kMapPictureMargin = 10;

} // namespace quarvel
