#include "QtPlatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quarvel {

MessageAnswer QtDialogs::message(QWidget* parent, const QString& text, const QString& title,
                                 MessageButtons buttons, MessageIcon icon) {
    return messageWithDetail(parent, text, title, buttons, icon, QString());
}

MessageAnswer QtDialogs::messageWithDetail(QWidget* parent, const QString& text,
                                           const QString& title, MessageButtons buttons,
                                           MessageIcon icon, const QString& detail) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    if (!detail.isEmpty()) {
        box.setDetailedText(detail);
    }
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

std::optional<int> QtDialogs::chooseItem(QWidget* parent, const QString& title,
                                         const QString& prompt, const QStringList& items) {
    bool accepted = false;
    const QString chosen = QInputDialog::getItem(parent, title, prompt, items, 0, false, &accepted);
    const qsizetype index = items.indexOf(chosen);
    if (!accepted || index < 0) {
        return std::nullopt;
    }
    return static_cast<int>(index);
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const QString& title,
                                           const QStringList& filters, const QString& defaultName) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    QString name = dialog.selectedFiles().constFirst();
    if (QFileInfo(name).suffix().isEmpty()) {
        // "PNG image (*.png)" gives ".png".
        const QString filter = dialog.selectedNameFilter();
        const qsizetype star = filter.indexOf(QLatin1String("*."));
        if (star >= 0) {
            const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star);
            name += filter.mid(star + 1, end < 0 ? -1 : end - star - 1);
        }
    }
    return name;
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

// ---------------------------------------------------------------------------------------
// The registry.

#ifdef Q_OS_WIN

bool HostRegistry::openKey(Key root, const QString& path, std::uint32_t access, Key& opened) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(reinterpret_cast<HKEY>(root), path.toLocal8Bit().constData(),
                                      0, access, &key);
    opened = reinterpret_cast<Key>(key);
    return result == ERROR_SUCCESS;
}

bool HostRegistry::queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                              int capacity) {
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(capacity);
    data.resize(capacity);
    const LONG result =
        RegQueryValueExA(reinterpret_cast<HKEY>(key), name.toLocal8Bit().constData(), nullptr,
                         &valueType, reinterpret_cast<LPBYTE>(data.data()), &size);
    if (result != ERROR_SUCCESS) {
        data.clear();
        return false;
    }
    data.resize(static_cast<qsizetype>(size));
    type = valueType;
    return true;
}

void HostRegistry::closeKey(Key key) {
    if (key != 0) {
        RegCloseKey(reinterpret_cast<HKEY>(key));
    }
}

#else

namespace {
constexpr Registry::Key kSystemInformationKey = 1;
}

bool HostRegistry::openKey(Key root, const QString& path, std::uint32_t, Key& opened) {
    opened = 0;
    if (root != kLocalMachine ||
        path.compare(QLatin1String("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                     Qt::CaseInsensitive) != 0) {
        return false;
    }
    opened = kSystemInformationKey;
    return true;
}

bool HostRegistry::queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                              int capacity) {
    if (key != kSystemInformationKey ||
        name.compare(QLatin1String("PATH"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    for (const QString& program : systemInformationPrograms()) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty()) {
            data = QFile::encodeName(found) + '\0'; // stored with its NUL, as Windows does
            data.truncate(capacity);
            type = kTypeString;
            return true;
        }
    }
    return false;
}

void HostRegistry::closeKey(Key) {}

#endif

QStringList HostRegistry::systemInformationPrograms() {
    return {QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lshw-gtk")};
}

// ---------------------------------------------------------------------------------------
// Sending keys.

void FocusKeySender::send(const QString& keys) {
    QObject* target = QApplication::focusWidget();
    if (target == nullptr) {
        target = QApplication::activeWindow();
    }
    if (target == nullptr) {
        return;
    }
    for (qsizetype i = 0; i < keys.size(); ++i) {
        int key = 0;
        QString text;
        const qsizetype close = keys.indexOf(QLatin1Char('}'), i);
        if (keys.at(i) == QLatin1Char('{') && close > i + 1) {
            const QString name = keys.mid(i + 1, close - i - 1).toUpper();
            bool number = false;
            const int function = name.mid(1).toInt(&number);
            if (name.startsWith(QLatin1Char('F')) && number && function >= 1 && function <= 24) {
                key = Qt::Key_F1 + function - 1;
            } else if (name == QLatin1String("ENTER")) {
                key = Qt::Key_Return;
                text = QStringLiteral("\r");
            }
            i = close;
        } else {
            key = QKeySequence(keys.at(i)).isEmpty() ? 0 : QKeySequence(keys.at(i))[0].key();
            text = keys.at(i);
        }
        if (key != 0) {
            QCoreApplication::postEvent(target,
                                        new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
            QCoreApplication::postEvent(
                target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
        }
    }
}

} // namespace quarvel
