#pragma once

#include "AnalysisResults.h"
#include "Dialogs.h"
#include "JoinFile.h"
#include "JoinHost.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

namespace quarvel {

class BackgroundWork;

/**
 * The join window: writes a file that gives every record of the table its quartile rank
 * and outlier note, keyed by a relate field the user picks, to be joined back to the table
 * in the GIS. The file is in the table's own code page, so its keys match the table's.
 */
class frmJoin : public QWidget {
    Q_OBJECT

public:
    frmJoin(std::shared_ptr<const AnalysisResults> results, JoinHost& host, Dialogs& dialogs,
            BackgroundWork& work, QWidget* parent = nullptr);

protected:
    /** Closed while its file is written, the window goes once the outcome is reported. */
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Controls, found by their object names from outside.
    QLabel* Label1;
    QComboBox* cmbJoinList;
    QLabel* Label2;
    QLabel* Picture1;
    QLabel* Label3;
    QLabel* lblRankWithin;
    /** "(none)", then the table's fields: the join file's ranks within the groups of one. */
    QComboBox* cmbRankWithin;
    QPushButton* cmdDotIt;
    QPushButton* cmdCancel;

    void Form_Load();
    void cmdDotIt_Click();
    void cmdCancel_Click();

    void showOutcome(const JoinOutcome& outcome);
    void showResult(const JoinOutcome& outcome);
    void error(const QString& text);

    std::shared_ptr<const AnalysisResults> results_;
    JoinHost& host_;
    Dialogs& dialogs_;
    BackgroundWork& work_;
    bool writing_ = false;       ///< this window's join file is being written
    bool closeWhenDone_ = false; ///< closed meanwhile: it goes once the outcome is shown
};

} // namespace quarvel
