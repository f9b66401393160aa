#include "MainWindowHarness.h"
#include "Controls.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLocale>
#include <QTest>

namespace quarvel::testing {

void MainWindowHarness::start() {
    savedCurrent = QDir::currentPath();
    QLocale::setDefault(QLocale::c());
    tables = std::make_unique<QTemporaryDir>();
    program = std::make_unique<QTemporaryDir>();
    fakes = std::make_unique<FakePlatform>();
    fakes->systemInfo.folder = program->path();
    fakes->systemInfo.config = program->filePath("config");
    children = std::make_unique<ChildWindows>();
    results = std::make_shared<AnalysisResults>();
    window = std::make_unique<frmQuarvel>(results, fakes->platform, *children);
    window->show();
}

void MainWindowHarness::stop() {
    window.reset();
    children.reset();
    results.reset();
    fakes.reset();
    QDir::setCurrent(savedCurrent);
    QLocale::setDefault(QLocale::c());
    tables.reset();
    program.reset();
}

QString MainWindowHarness::folder() const {
    return QDir(tables->path()).absolutePath() + QLatin1Char('/');
}

QString MainWindowHarness::inFolder(const QString& name) const {
    return folder() + name;
}

void MainWindowHarness::choose(const QString& title) {
    fakes->dialogs.openAnswers.push_back(OpenFileChoice{inFolder(title), title});
}

void MainWindowHarness::openChosen(const QString& title) {
    choose(title);
    child<QAction>(window.get(), "mnuFileOpen")->trigger();
    waitForWork(); // the table is read on the worker, then bound; the next tick fills the list
    QTRY_VERIFY(window->fieldListFilled());
}

void MainWindowHarness::load(const QString& title, const TableSpec& tableSpec, int field) {
    writeTable(inFolder(title), tableSpec);
    openChosen(title);
    child<QComboBox>(window.get(), "cmbFieldList")->setCurrentIndex(field);
}

void MainWindowHarness::waitForWork() {
    QTRY_VERIFY_WITH_TIMEOUT(!fakes->work.busy(), 60000);
}

TableModel* MainWindowHarness::gridModel() const {
    return window->findChild<TableModel*>(QStringLiteral("Data1"));
}

int MainWindowHarness::gridRowCount() const {
    return gridModel() != nullptr ? gridModel()->gridRowCount() : 1;
}

int MainWindowHarness::gridColumnCount() const {
    return gridModel() != nullptr ? gridModel()->gridColumnCount() : 1;
}

QString MainWindowHarness::gridText(int row, int column) const {
    return gridModel() != nullptr ? gridModel()->gridText(row, column) : QString();
}

} // namespace quarvel::testing
