#pragma once

#include "Analysis.h"
#include "AnalysisResults.h"
#include "ChildWindows.h"
#include "JoinHost.h"
#include "OpenTable.h"
#include "Platform.h"
#include "TableModel.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableView;
class QTimer;

namespace quarvel {

class BusyIndicator;

/**
 * The main window: choose the table, see it in the grid, pick the field and run the
 * analysis through the engine; its menus open the plot, the join export, help and About.
 * The join window asks it for the shown table, the chosen field and its status line.
 */
class frmQuarvel : public QMainWindow, public JoinHost {
    Q_OBJECT

public:
    static constexpr const char* kNoTableText = "no table selected";

    /** results are the program's shared results, which a completed run replaces. */
    frmQuarvel(std::shared_ptr<AnalysisResults> results, Platform& platform, ChildWindows& children,
               QWidget* parent = nullptr);

    /** The open command: choose a table in the open dialog and load it. */
    void OpenFile();
    /** Opens this table as if it had been chosen through File > Open (a double-clicked table). */
    void openTable(const QString& path);
    /**
     * Reads the table chosen last on the worker and then binds it to the grid; the next poll
     * tick rebuilds the field list.
     */
    void LoadData();

    /** The table the grid shows, or nullptr before the first successful load. */
    std::shared_ptr<const Table> shownTable() const override;
    /** The field chosen in the field list (an index into the table's fields), or -1. */
    int analysedField() const override;
    /** Makes a record's cell of a field the grid's current cell (both counting from 0). */
    void setGridCurrentCell(int record, int field) override;
    /**
     * Makes a record (counting from 0) the grid's current cell in the column of the field the
     * last run analysed, scrolled into view; nothing when the grid shows another table.
     */
    void showRecord(int record);
    /** Whether the field list has been filled for the table loaded last. */
    bool fieldListFilled() const { return FieldListFilled != 0; }

    /** Replaces the whole text of the status line and shows it at once. */
    void setStatusText(const QString& text) override;
    QString statusText() const;

    /** The size of the area below the menu bar, status line included. */
    static QSize clientSize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    /** The status line's text has been replaced. */
    void statusTextChanged(const QString& text);

private:
    void buildControls();
    void buildMenus();
    void fitLabelTexts();

    void Form_Load();
    void check_Timer();
    void cmdOpen_Click();
    void mnuFileOpen_Click();
    void openCommand();
    void Grid_Click(int column);
    void cmdDoIt_Click();
    void showOutcome(AnalysisOutcome outcome, const QString& folder);
    void offerToSave(const QString& folder);
    void workBusy(bool busy);
    void showWorkFailure(const QString& message);
    void remember(const OpenFileChoice& choice);
    void readTable(const QString& path, const QString& layer);
    void chooseLayer(const QString& path, const std::vector<LayerInfo>& layers);
    void showTable(std::unique_ptr<Table> table, const QString& problem);
    void bindTable(std::unique_ptr<Table> table);
    void keepShownTable();
    QString startFolder() const;
    void cmdCancel_Click();
    void mnuFileExit_Click();
    void mnuFileCreateJoin_Click();
    void mnuFileSaveRanked_Click();
    void mnuViewQuarvel_Click();
    void mnuViewMap_Click();
    void mnuViewGroups_Click();
    void updateMapCommand();
    void mnuHelpHowto_Click();
    void mnuHelpAbout_Click();

    // Window state of the table loading and the analysis run.
    QString TableFolder;    ///< folder of the chosen table, ending with the separator
    QString FavoriteFolder; ///< folder read from the favourite-folder file
    QString TableName;      ///< the chosen file's title less its extension
    int ConnectAttempt = 0;
    int FieldListFilled = 0;
    int FieldColumn = 0;     ///< grid column of the field analysed last
    bool SaveAnswer = false; ///< whether the user chose to save the last results
    QString ResultFileName;  ///< the name typed for the last results file

    // Controls, found by their object names from outside.
    QLabel* Label1;
    QLineEdit* txtInfile;
    QPushButton* cmdOpen;
    QLabel* Label2;
    QTableView* Grid;
    QLabel* Label3;
    QComboBox* cmbFieldList;
    QPushButton* cmdDoIt;
    QPushButton* cmdCancel;
    QStatusBar* StatusBar1;
    QTimer* check;

    QMenu* mnuFile;
    QAction* mnuFileOpen;
    QAction* mnuFileCreateJoin;
    QAction* mnuFileSaveRanked;
    QAction* mnuFileLeaveOutEmpty; ///< checked: Do It leaves out records without a value
    QAction* mnuFileSep;
    QAction* mnuFileExit;
    QMenu* mnuView;
    QAction* mnuViewQuarvel;
    QAction* mnuViewMap;
    QAction* mnuViewGroups;
    QMenu* mnuHelp;
    QAction* mnuHelpHowto;
    QAction* mnuHelpAbout;

    std::shared_ptr<AnalysisResults> results_;
    Platform& platform_;
    ChildWindows& children_;
    QLabel* statusText_ = nullptr;
    BusyIndicator* busy_ = nullptr; ///< the bar beside the status line, for work that takes a while
    QLabel* recordsNote_ = nullptr; ///< "20 of 50 records readable" for a table cut short
    bool doItEnabled_ = false;      ///< Do It's state before work disabled it
    TableModel* model_ = nullptr;
    // What the open dialog reports about the file confirmed last; empty until then.
    QString dialogFileName_;
    QString dialogFileTitle_;
};

} // namespace quarvel
