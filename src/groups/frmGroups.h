#pragma once

#include "AnalysisResults.h"
#include "BackgroundWork.h"
#include "Dialogs.h"
#include "GroupAnalysis.h"
#include "GroupChart.h"
#include "Table.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace quarvel {

class BusyIndicator;
class PlotPicture;

/**
 * The groups window: the analysed field within the groups of records that share a field's
 * text. For the field chosen in "Group by" it draws one basic box a group on a common value
 * scale (the groups with most records, at most kMostGroupBoxes) and lists every group's line of the
 * groups file below; a button saves that file. The groups are found on the window's own
 * worker.
 */
class frmGroups : public QWidget {
    Q_OBJECT

public:
    frmGroups(std::shared_ptr<const AnalysisResults> results, Dialogs& dialogs,
              QWidget* parent = nullptr);
    ~frmGroups() override;

    /** Where the table behind the results is found: the table the main window shows. */
    void setTableSource(std::function<std::shared_ptr<const Table>()> source) {
        tableSource_ = std::move(source);
    }

    QLabel* lblGroupBy;
    QComboBox* cmbGroupBy;
    PlotPicture* picGroups;
    QLabel* lblNotDrawn;
    QTableView* grdGroups;
    QPushButton* cmdSaveGroups;
    QProgressBar* groupsProgress;

    /** The groups shown, or nullptr before the first are found. */
    const GroupsOutcome* outcome() const;
    /** The boxes drawn, in their order. */
    const std::vector<GroupBox>& boxes() const;
    /** The tooltip at a point of the drawing (units across, and down from the top). */
    QString hoverText(double x, double y, double tolerance) const;

signals:
    /** The groups of the chosen field are shown. */
    void groupsShown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Found;

    void fillFieldList();
    void cmbGroupBy_Change(int index);
    void showFound(std::shared_ptr<const Found> found);
    void cmdSaveGroups_Click();
    void showError(const QString& message);

    std::shared_ptr<const AnalysisResults> results_;
    Dialogs& dialogs_;
    std::function<std::shared_ptr<const Table>()> tableSource_;
    BackgroundWork work_;
    BusyIndicator* busy_;
    std::shared_ptr<const Found> shown_;
    std::uint64_t listedFor_ = 0; ///< the results whose table's fields the list holds
};

} // namespace quarvel
