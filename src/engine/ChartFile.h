#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "DisplayList.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;
class QRectF;

namespace quarvel {

enum class ChartView { Basic, Detailed };

/** The size in pixels of the chart as the plot window shows it at its designed size. */
inline constexpr QSize kChartPictureSize(501, 341);

/** The size in pixels of a group chart of this many rows, as the command line draws it. */
QSize GroupChartPictureSize(std::size_t rows);

/** The font of the chart's value labels, in the window and in every picture file. */
QFont ChartFont();

/**
 * Replays a drawing onto a painter's rectangle, white background first; false when
 * stopRequested said stop part of the way.
 */
bool PaintDrawing(const DisplayList& drawing, QPainter& painter, const QRectF& area, bool raster,
                  const StopCheck& stopRequested = {});

/** The drawing as an image of the given size; a null image when stopRequested said stop. */
QImage RenderDrawing(const DisplayList& drawing, QSize size, const QFont& font,
                     const StopCheck& stopRequested = {});

/**
 * Writes a drawing to a file whose extension decides the format: .png, .svg or .pdf (any
 * letter case), through a safe write. False, with the reason in error, when it cannot.
 */
bool SaveDrawing(const DisplayList& drawing, const QString& path, QSize size, const QFont& font,
                 QString& error);

/**
 * Draws the chart of the results in the given view, as the plot window does; an empty
 * drawing when stopRequested said stop.
 */
DisplayList DrawChart(const AnalysisResults& results, ChartView view, UniformSequence& heights,
                      const StopCheck& stopRequested = {});

/** Whether a picture file name ends in an extension SaveDrawing knows. */
bool IsPictureFileName(const QString& path);

} // namespace quarvel
