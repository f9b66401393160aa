#pragma once

#include "frmMap.h"

#include "LayerGeometry.h"
#include "MapPainting.h"
#include "MapTransform.h"
#include "RecordClasses.h"
#include "Table.h"

#include <QImage>
#include <QString>

#include <memory>
#include <string>
#include <vector>

// What the map window's two source files share: the shapes read on its worker.

namespace quarvel {

/** Pixels kept free round the whole extent. */
inline constexpr double kMapMargin = 10;

// Layers of at most this many features are drawn with smooth edges on screen; a larger one
// cannot spare the time, and its features are small there anyway.
inline constexpr std::size_t kSmoothAtMost = 20000;

/** The shapes of the analysed table and the class of each record, as read on the worker. */
struct frmMap::Shapes {
    std::shared_ptr<const Table> table;
    int field = -1;
    std::string tablePath;
    std::string fieldName;
    std::uint64_t digest = 0;
    LayerGeometry geometry;
    std::vector<RecordClass> ranks;
    std::vector<MapClass> classes;

    MapScene scene() const { return {&geometry, &classes}; }
    bool smooth() const { return geometry.featureCount() <= kSmoothAtMost; }
};

struct frmMap::Loaded {
    std::shared_ptr<const Shapes> shapes;
    QString message;
    QImage picture;
    MapTransform view;
};

struct frmMap::Drawn {
    QImage picture;
    MapTransform view;
};

} // namespace quarvel
