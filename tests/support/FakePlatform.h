#pragma once

#include "BackgroundWork.h"
#include "Dialogs.h"
#include "Platform.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace quarvel::testing {

/** One message box as the window asked for it. */
struct ShownMessage {
    QString text;
    QString title;
    MessageButtons buttons;
    MessageIcon icon;
    QString detail = {}; ///< what the user may unfold, when the window gave one
};

struct ShownInput {
    QString prompt;
    QString title;
    QString defaultText;
};

/**
 * Dialogs that record what was shown and answer from queues filled by the test. A message
 * with no queued answer gets Ok (or No for Yes/No questions); an input with none gets "";
 * an open dialog with none is cancelled.
 */
class FakeDialogs final : public Dialogs {
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

    std::deque<MessageAnswer> messageAnswers;
    std::deque<QString> inputAnswers;
    std::deque<std::optional<OpenFileChoice>> openAnswers;

    std::vector<ShownMessage> messages;
    std::vector<ShownInput> inputs;
    std::vector<OpenFileSettings> openDialogs;

    std::deque<QString> saveAnswers; ///< an empty text cancels
    struct ShownSave {
        QString title;
        QStringList filters;
        QString defaultName;
    };
    std::vector<ShownSave> saveDialogs;

    std::optional<int> chooseItem(QWidget* parent, const QString& title, const QString& prompt,
                                  const QStringList& items) override;
    std::deque<std::optional<int>> chooseAnswers; ///< none queued: cancelled
    struct ShownChoice {
        QString title;
        QString prompt;
        QStringList items;
    };
    std::vector<ShownChoice> choices;
};

/** A wait that returns at once, after running what the test wants to happen meanwhile. */
class FakeWaiter final : public Waiter {
public:
    void waitBlocking(int milliseconds) override;

    std::vector<int> waits;
    std::function<void()> duringWait;
};

class FakeEnder final : public ProgramEnder {
public:
    void endProgram() override { ++calls; }
    int calls = 0;
};

class FakeLauncher final : public ProgramLauncher {
public:
    bool start(const QString& program, const QStringList& arguments) override;

    struct Start {
        QString program;
        QStringList arguments;
    };
    std::vector<Start> starts;
    bool succeed = true;
};

class FakeSystemInfo final : public SystemInfo {
public:
    int platformCode() const override { return code; }
    QString programFolder() const override { return folder; }
    QString configFolder() const override { return config; }

    int code = kPlatformOther;
    QString folder = QStringLiteral("/nonexistent/quarvel");
    QString config = QStringLiteral("/nonexistent/quarvel-config");
};

/**
 * A registry of values set by the test: (key path, value name) -> (type, bytes). Keys
 * open when some value lies under them or they are listed in extraKeys.
 */
class FakeRegistry final : public Registry {
public:
    bool openKey(Key root, const QString& path, std::uint32_t access, Key& opened) override;
    bool queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                    int capacity) override;
    void closeKey(Key key) override;

    struct Value {
        std::uint32_t type;
        QByteArray bytes;
    };
    void set(const QString& path, const QString& name, std::uint32_t type, const QByteArray& bytes);

    std::map<std::pair<QString, QString>, Value> values;
    QStringList extraKeys;
    bool failQueries = false;
    std::vector<std::uint32_t> accessMasks; ///< of every open asked for
    std::vector<Key> closed;                ///< every key handed to closeKey
    std::vector<QString> openedPaths;       ///< key paths by handle (handle = index + 1)
};

class FakeKeySender final : public KeySender {
public:
    void send(const QString& keys) override;
    std::vector<QString> sent;
    std::function<void()> onSend; ///< runs at each send, to see what was there then
};

/** A full set of fakes, ready to hand to a window. */
struct FakePlatform {
    FakeDialogs dialogs;
    FakeWaiter waiter;
    FakeEnder ender;
    FakeLauncher launcher;
    FakeSystemInfo systemInfo;
    FakeRegistry registry;
    FakeKeySender keys;
    BackgroundWork work; ///< the real worker thread: tests wait until it is idle
    Platform platform{dialogs, waiter, ender, launcher, systemInfo, registry, keys, work};
};

} // namespace quarvel::testing
