#pragma once

#include "BenchTable.h"
#include "FakePlatform.h"
#include "frmQuarvel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

namespace quarvel::bench {

/**
 * The main window over scripted dialogs, showing a copy of the benchmark table (the program
 * writes its files beside the table, so it works in a folder of its own) with the field POP
 * selected.
 */
struct BenchWindow {
    testing::FakePlatform fakes;
    QTemporaryDir program;
    QTemporaryDir tables;
    ChildWindows children;
    std::shared_ptr<AnalysisResults> results = std::make_shared<AnalysisResults>();
    frmQuarvel window{results, fakes.platform, children};

    BenchWindow() {
        fakes.systemInfo.folder = program.path();
        fakes.systemInfo.config = program.filePath("config");
        window.show();
        const QString copy = tables.filePath("big.dbf");
        QFile::copy(benchTablePath(), copy);
        fakes.dialogs.openAnswers.push_back(OpenFileChoice{copy, QStringLiteral("big.dbf")});
        window.findChild<QAction*>("mnuFileOpen")->trigger();
        waitForWork();
        while (!window.fieldListFilled()) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        auto* fields = window.findChild<QComboBox*>("cmbFieldList");
        fields->setCurrentIndex(fields->findText(QStringLiteral("POP")));
    }

    /** Waits until the work the windows started has ended and its result is shown. */
    void waitForWork() {
        while (fakes.work.busy()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
};

} // namespace quarvel::bench
