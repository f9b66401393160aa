#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "DbfTable.h"
#include "Dialogs.h"
#include "PlotPicture.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPushButton;

namespace quarvel {

class BackgroundWork;

/**
 * The plot window: the results of the last analysis as a horizontal box-and-whisker
 * chart, in a basic view and a detailed view with every value as a coloured circle.
 * Nothing is drawn until a button is pressed; every press draws afresh from the results.
 */
class frmView : public QWidget {
    Q_OBJECT

public:
    frmView(const AnalysisResults& results, UniformSequence& heights, Dialogs& dialogs,
            BackgroundWork& work, QWidget* parent = nullptr);

    PlotPicture* PicBox;
    QPushButton* cmdBasic;
    QPushButton* cmdDetail;
    QPushButton* cmdCancel;

    /** Where the table behind the results is found (to name a circle's record). */
    void setTableSource(std::function<std::shared_ptr<const DbfTable>()> source) {
        tableSource_ = std::move(source);
    }
    /** The tooltip at a point of the drawing (in its 2000 x 800 units), empty for none. */
    QString hoverText(double x, double y, double ry, double tolerance);

    /** The scale of the last drawing. */
    const PlotFields& plotFields() const { return fields_; }

private:
    void cmdBasic_Click();
    void cmdDetail_Click();
    void cmdCancel_Click();

    const AnalysisResults& results_;
    UniformSequence& heights_;
    BackgroundWork& work_;
    PlotFields fields_;
    int recordOf(std::size_t sortedIndex);
    std::function<std::shared_ptr<const DbfTable>()> tableSource_;
    std::uint64_t drawnDigest_ = 0;             ///< the results the drawing was made from
    std::vector<std::uint32_t> recordsInOrder_; ///< record of each sorted value, made on hover
};

} // namespace quarvel
