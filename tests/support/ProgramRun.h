#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace quarvel::testing {

/** How a run of the real program ended: its status (-1 when it crashed or hung) and output. */
struct Finished {
    int status = -1;
    QByteArray out;
    QString err;
};

/** The real program as a script starts it, in folder: no display at all, the C locale. */
inline Finished runProgramAt(const QString& program, const QStringList& arguments,
                             const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Finished finished;
    if (!process.waitForFinished(60000)) {
        return finished;
    }
    finished.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    finished.out = process.readAllStandardOutput();
    finished.err = QString::fromLocal8Bit(process.readAllStandardError());
    return finished;
}

} // namespace quarvel::testing
