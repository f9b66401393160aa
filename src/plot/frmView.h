#pragma once

#include "AnalysisResults.h"
#include "BoxPlot.h"
#include "Dialogs.h"
#include "PlotPicture.h"

#include <QWidget>

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
};

} // namespace quarvel
