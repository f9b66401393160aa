#include "QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

namespace quarvel {

MessageAnswer QtDialogs::message(QWidget* parent, const QString& text, const QString& title,
                                 MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == MessageButtons::YesNo) {
        return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

QString QtDialogs::input(QWidget* parent, const QString& prompt, const QString& title,
                         const QString& defaultText) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

std::optional<OpenFileChoice> QtDialogs::openFile(QWidget* parent,
                                                  const OpenFileSettings& settings) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(settings.initialFolder.isEmpty() ? QDir::currentPath()
                                                         : settings.initialFolder);
    const QStringList filters = qtNameFilters(settings.filter);
    dialog.setNameFilters(filters);
    if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters.at(settings.filterIndex - 1));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return OpenFileChoice{fileName, QFileInfo(fileName).fileName()};
}

QStringList qtNameFilters(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty() && parts.at(i + 1).isEmpty()) {
            continue;
        }
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
    }
    return filters;
}

void ThreadSleepWaiter::waitBlocking(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void ApplicationEnder::endProgram() {
    QCoreApplication::exit(0);
}

bool DetachedProcessLauncher::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

int HostSystemInfo::platformCode() const {
#ifdef Q_OS_WIN
    return kPlatformWindowsNT; // every Windows that Qt 6 runs on is of the NT family
#else
    const QString kernel = QSysInfo::kernelType();
    return kernel.isEmpty() || kernel == QLatin1String("unknown") ? kPlatformUnknown
                                                                  : kPlatformOther;
#endif
}

QString HostSystemInfo::programFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString HostSystemInfo::configFolder() const {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

} // namespace quarvel
