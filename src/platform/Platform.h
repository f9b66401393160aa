#pragma once

#include "Dialogs.h"
#include "Registry.h"

#include <QString>
#include <QStringList>

namespace quarvel {

class BackgroundWork;

/** The splash's blocking wait: the thread sleeps and handles no events meanwhile. */
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void waitBlocking(int milliseconds) = 0;
};

/** Ends the program at once, whatever windows are open, without asking or saving. */
class ProgramEnder {
public:
    virtual ~ProgramEnder() = default;
    virtual void endProgram() = 0;
};

/** Starts an outside program and returns at once, without waiting for it. */
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    /** Returns false when the program could not be started. */
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

/** What the running system is. */
class SystemInfo {
public:
    static constexpr int kPlatformUnknown = 0;
    static constexpr int kPlatformWindows9x = 1;
    static constexpr int kPlatformWindowsNT = 2;
    static constexpr int kPlatformOther = 3; ///< a recognised system that is not Windows

    virtual ~SystemInfo() = default;
    virtual int platformCode() const = 0;
    /** The folder that holds the program's executable, without a trailing separator. */
    virtual QString programFolder() const = 0;
    /** The user's configuration folder for this program (it may not exist yet). */
    virtual QString configFolder() const = 0;
};

/** The seams a window may need, and the thread its long work runs on, handed in at start. */
struct Platform {
    Dialogs& dialogs;
    Waiter& waiter;
    ProgramEnder& ender;
    ProgramLauncher& launcher;
    SystemInfo& systemInfo;
    Registry& registry;
    KeySender& keys;
    BackgroundWork& work;
};

} // namespace quarvel
