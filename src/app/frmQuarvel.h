#pragma once

#include "AnalysisResults.h"
#include "ChildWindows.h"
#include "Platform.h"

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

/**
 * The main window: choose the table, see it in the grid, pick the field and run the
 * analysis; its menus open the plot, the join export, help and About. Other windows reach
 * its controls directly (the grid, the field list, the status line).
 */
class frmQuarvel : public QMainWindow {
    Q_OBJECT

public:
    frmQuarvel(AnalysisResults& results, Platform& platform, ChildWindows& children,
               QWidget* parent = nullptr);

    /** Replaces the whole text of the status line and shows it at once. */
    void setStatusText(const QString& text);
    QString statusText() const;

    // Controls, named as the rest of the program knows them.
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
    QAction* mnuFileSep;
    QAction* mnuFileExit;
    QMenu* mnuView;
    QAction* mnuViewQuarvel;
    QMenu* mnuHelp;
    QAction* mnuHelpHowto;
    QAction* mnuHelpAbout;

    /** The size of the area below the menu bar, status line included. */
    static QSize clientSize();

private:
    void buildControls();
    void buildMenus();
    void fitLabelTexts();

    void Form_Load();
    void check_Timer();
    void cmdCancel_Click();
    void mnuFileExit_Click();
    void mnuFileCreateJoin_Click();
    void mnuViewQuarvel_Click();
    void mnuHelpAbout_Click();

    AnalysisResults& results_;
    Platform& platform_;
    ChildWindows& children_;
    QLabel* statusText_ = nullptr;
};

} // namespace quarvel
