#include "AnalysisResults.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUARVEL_VERSION));

    quarvel::AnalysisResults results;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quarvel"));
    window.resize(577, 280);
    window.show();
    return QApplication::exec();
}
