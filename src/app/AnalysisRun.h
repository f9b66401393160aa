#pragma once

#include "AnalysisResults.h"
#include "Dialogs.h"

#include <QDir>
#include <QString>

#include <vector>

namespace quarvel {

class frmQuarvel;

/**
 * What "Do It" does: read the chosen field of every record, sort the values, write
 * "Unsorted-Sorted.csv" beside the table, apply the quartile rule, report the median and
 * quartiles and, if the user wants, save them.
 *
 * Everything that can refuse the run is checked before anything is changed: a run that
 * stops leaves the results, every file and the menus as they were.
 */
class AnalysisRun {
public:
    AnalysisRun(frmQuarvel& window, AnalysisResults& results, Dialogs& dialogs);

    void run();

private:
    bool readValues(int field, std::vector<double>& values);
    bool writeFiles(const std::vector<double>& unsorted, const std::vector<double>& sorted);
    void offerToSave();
    void refuse(const QString& text, const QString& status);
    void status(const QString& text);

    frmQuarvel& window_;
    AnalysisResults& results_;
    Dialogs& dialogs_;
    QDir folder_; ///< the analysed table's folder, where the files go
};

} // namespace quarvel
