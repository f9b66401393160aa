#include "DetailedPicture.h"

#include "ChartFile.h"
#include "FieldValues.h"

#include <algorithm>
#include <future>

namespace quarvel {

DetailedPicture DrawDetailedPicture(const AnalysisResults& results, const Table* table, int field,
                                    QSize size, const QFont& font, const QLocale& locale,
                                    UniformSequence heights, Progress& progress) {
    // The records are found on the second core while the circles are drawn and painted on
    // this one.
    std::future<std::vector<std::uint32_t>> records;
    if (table != nullptr && field >= 0) {
        records = std::async(std::launch::async, [&] {
            return RecordsInSortedOrder(
                *table, field, results.SortedValues, locale,
                [&progress](double) { return !progress.stopRequested(); },
                results.SkipEmpty ? EmptyCells::LeaveOut : EmptyCells::Refuse);
        });
    }
    // The drawing and the painting each ask the stop every 65,536 circles: the bar rises
    // with them.
    const double checks = std::max(1.0, static_cast<double>(results.SortedValues.size()) /
                                            static_cast<double>(kStepsBetweenStopChecks));
    double asked = 0;
    const auto rising = [&](double from, double to) {
        asked = 0;
        return [&progress, &asked, checks, from, to] {
            progress.fraction(from + (to - from) * std::min(1.0, ++asked / checks));
            return progress.stopRequested();
        };
    };
    DetailedPicture picture;
    progress.stage(drawingStage::kDrawing);
    picture.drawing = DrawChart(results, ChartView::Detailed, heights, rising(0, 0.2));
    progress.stage(drawingStage::kPainting);
    picture.painted = RenderDrawing(picture.drawing, size, font, rising(0.2, 0.9));
    picture.heights = heights;
    if (records.valid()) {
        progress.stage(drawingStage::kRecords);
        picture.records = records.get();
    }
    progress.fraction(1);
    return picture;
}

} // namespace quarvel
