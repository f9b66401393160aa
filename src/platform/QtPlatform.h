#pragma once

#include "Dialogs.h"
#include "Platform.h"

namespace quarvel {

/** Dialogs shown with Qt's message box, input dialog and file dialog. */
class QtDialogs final : public Dialogs {
public:
    MessageAnswer message(QWidget* parent, const QString& text, const QString& title,
                          MessageButtons buttons, MessageIcon icon) override;
    MessageAnswer messageWithDetail(QWidget* parent, const QString& text, const QString& title,
                                    MessageButtons buttons, MessageIcon icon,
                                    const QString& detail) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    std::optional<OpenFileChoice> openFile(QWidget* parent,
                                           const OpenFileSettings& settings) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                    const QStringList& filters,
                                    const QString& defaultName) override;
    std::optional<int> chooseItem(QWidget* parent, const QString& title, const QString& prompt,
                                  const QStringList& items) override;
};

class ThreadSleepWaiter final : public Waiter {
public:
    void waitBlocking(int milliseconds) override;
};

/** Leaves the event loop at once; main() then closes every window and file. */
class ApplicationEnder final : public ProgramEnder {
public:
    void endProgram() override;
};

class DetachedProcessLauncher final : public ProgramLauncher {
public:
    bool start(const QString& program, const QStringList& arguments) override;
};

class HostSystemInfo final : public SystemInfo {
public:
    int platformCode() const override;
    QString programFolder() const override;
    QString configFolder() const override;
};

/**
 * The registry of the system: Windows' own; elsewhere a stand-in that answers only the
 * System Information tool's path (key "SOFTWARE\Microsoft\Shared Tools\MSINFO", value
 * "PATH") with the first system-information program found on the PATH.
 */
class HostRegistry final : public Registry {
public:
    bool openKey(Key root, const QString& path, std::uint32_t access, Key& opened) override;
    bool queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                    int capacity) override;
    void closeKey(Key key) override;

    /** System-information programs looked for on the PATH, in this order. */
    static QStringList systemInformationPrograms();
};

/** Posts key presses to the focused widget (or the active window). */
class FocusKeySender final : public KeySender {
public:
    void send(const QString& keys) override;
};

/**
 * Turns a filter of description|pattern pairs ("Dbase attribute table (.dbf)|*.dbf|")
 * into the filters of Qt's file dialog ("Dbase attribute table (.dbf) (*.dbf)").
 */
QStringList qtNameFilters(const QString& filter);

} // namespace quarvel
