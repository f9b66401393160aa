#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "Dialogs.h"
#include "PlotPicture.h"
#include "Table.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QProgressBar;
class QPushButton;

namespace quarvel {

class BackgroundWork;
class BusyIndicator;

/**
 * The plot window: the results of the last analysis as a horizontal box-and-whisker
 * chart, in a basic view and a detailed view with every value as a coloured circle.
 * Nothing is drawn until a button is pressed; every press draws afresh from the results.
 */
class frmView : public QWidget {
    Q_OBJECT

public:
    /**
     * results are the program's shared results (only a completed run replaces them, never
     * while work runs); heights the one height sequence of the program's run.
     */
    frmView(std::shared_ptr<const AnalysisResults> results,
            std::shared_ptr<UniformSequence> heights, Dialogs& dialogs, BackgroundWork& work,
            QWidget* parent = nullptr);

    PlotPicture* PicBox;
    QPushButton* cmdBasic;
    QPushButton* cmdDetail;
    QPushButton* cmdCancel;
    /** The detailed drawing's stage and progress, shown while it takes a while. */
    QProgressBar* drawingProgress;

    /** Where the table behind the results is found (to name a circle's record). */
    void setTableSource(std::function<std::shared_ptr<const Table>()> source) {
        tableSource_ = std::move(source);
    }
    /** The tooltip at a point of the drawing (in its 2000 x 800 units), empty for none. */
    QString hoverText(double x, double y, double ry, double tolerance);

    /**
     * Rings the circle of a record (counting from 0) while the detailed view of the current
     * results is shown; false (and no ring) otherwise.
     */
    bool ringRecord(int record);
    /** Takes the ring away. */
    void clearRing();

    /** The scale of the last drawing. */
    const PlotFields& plotFields() const { return fields_; }

signals:
    /** A circle of the detailed view was clicked: the record of its value, counting from 0. */
    void recordClicked(int record);

private:
    void picture_Click(double x, double y, double ry);
    void cmdBasic_Click();
    void cmdDetail_Click();
    void cmdCancel_Click();

    void workBusy(bool busy);
    int recordOf(std::size_t sortedIndex) const;

    std::shared_ptr<const AnalysisResults> results_;
    std::shared_ptr<UniformSequence> heights_;
    Dialogs& dialogs_;
    BackgroundWork& work_;
    BusyIndicator* busy_;
    PlotFields fields_;
    std::function<std::shared_ptr<const Table>()> tableSource_;
    std::uint64_t drawnDigest_ = 0; ///< the results the drawing was made from
    /** The record of each sorted value, found with the detailed drawing; empty until then. */
    std::vector<std::uint32_t> recordsInOrder_;
};

} // namespace quarvel
