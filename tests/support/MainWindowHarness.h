#pragma once

#include "AnalysisResults.h"
#include "ChildWindows.h"
#include "Controls.h"
#include "FakePlatform.h"
#include "TableModel.h"
#include "TestTables.h"
#include "frmQuarvel.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quarvel::testing {

/**
 * The main window over scripted platform seams, with a folder for tables and one standing in
 * for the program's folder. A test class derives from it, calls start() in init() and stop() in
 * cleanup(); stop() also restores the current folder and the default locale.
 */
class MainWindowHarness {
protected:
    std::unique_ptr<QTemporaryDir> tables;
    std::unique_ptr<QTemporaryDir> program;
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<ChildWindows> children;
    std::shared_ptr<AnalysisResults> results;
    std::unique_ptr<frmQuarvel> window;

    void start();
    void stop();

    /** The tables folder, absolute and with a final slash. */
    QString folder() const;
    QString inFolder(const QString& name) const;

    /** Queues the open dialog's answer: the table of this name in the tables folder. */
    void choose(const QString& title);

    /** Opens a table already in the tables folder and waits until the field list is filled. */
    void openChosen(const QString& title);

    /** Writes the table, opens it and selects the field at this index of the list. */
    void load(const QString& title, const TableSpec& tableSpec, int field = 1);

    /** Waits until the long work the windows started has ended and its result is shown. */
    void waitForWork();

    /** The grid's model, nullptr before a table has been loaded. */
    TableModel* gridModel() const;
    /** The grid as a whole: row 0 the field names, column 0 empty; 1 x 1 with no table. */
    int gridRowCount() const;
    int gridColumnCount() const;
    QString gridText(int row, int column) const;

private:
    QString savedCurrent;
};

} // namespace quarvel::testing
