#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "DisplayList.h"
#include "Progress.h"
#include "Table.h"

#include <QFont>
#include <QImage>
#include <QLocale>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace quarvel {

/** The stages of the detailed picture, as the plot window's bar shows them. */
namespace drawingStage {
inline const QString kDrawing = QStringLiteral("Drawing the values...");
inline const QString kPainting = QStringLiteral("Painting...");
inline const QString kRecords = QStringLiteral("Finding the records...");
} // namespace drawingStage

/** The detailed view, painted, with what the plot window needs for its tooltips. */
struct DetailedPicture {
    DisplayList drawing;
    QImage painted;          ///< null when the work was stopped
    UniformSequence heights; ///< the sequence after this drawing's heights
    /** The record (from 0) of each sorted value; empty without a table or when stopped. */
    std::vector<std::uint32_t> records;
};

/**
 * Draws and paints the detailed view of the results at size, and finds the record of every
 * value in the field of the table (when one is given) on a second thread meanwhile. The
 * heights continue the given sequence. Reports its stages and a rising fraction, and stops
 * within milliseconds when asked.
 */
DetailedPicture DrawDetailedPicture(const AnalysisResults& results, const Table* table, int field,
                                    QSize size, const QFont& font, const QLocale& locale,
                                    UniformSequence heights, Progress& progress);

} // namespace quarvel
