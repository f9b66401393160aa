#include "FakePlatform.h"

namespace quarvel::testing {

MessageAnswer FakeDialogs::message(QWidget*, const QString& text, const QString& title,
                                   MessageButtons buttons, MessageIcon icon) {
    messages.push_back({text, title, buttons, icon});
    if (!messageAnswers.empty()) {
        const MessageAnswer answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

MessageAnswer FakeDialogs::messageWithDetail(QWidget* parent, const QString& text,
                                             const QString& title, MessageButtons buttons,
                                             MessageIcon icon, const QString& detail) {
    const MessageAnswer answer = message(parent, text, title, buttons, icon);
    messages.back().detail = detail;
    return answer;
}

QString FakeDialogs::input(QWidget*, const QString& prompt, const QString& title,
                           const QString& defaultText) {
    inputs.push_back({prompt, title, defaultText});
    if (!inputAnswers.empty()) {
        QString answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    return QString();
}

std::optional<OpenFileChoice> FakeDialogs::openFile(QWidget*, const OpenFileSettings& settings) {
    openDialogs.push_back(settings);
    if (openAnswers.empty()) {
        return std::nullopt;
    }
    const bool confirmed = openAnswers.front().has_value();
    OpenFileChoice choice = confirmed ? *openAnswers.front() : OpenFileChoice{};
    openAnswers.pop_front();
    if (!confirmed) {
        return std::nullopt;
    }
    return choice;
}

std::optional<QString> FakeDialogs::saveFile(QWidget*, const QString& title,
                                             const QStringList& filters,
                                             const QString& defaultName) {
    saveDialogs.push_back({title, filters, defaultName});
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    const QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    if (answer.isEmpty()) {
        return std::nullopt;
    }
    return answer;
}

std::optional<int> FakeDialogs::chooseItem(QWidget*, const QString& title, const QString& prompt,
                                           const QStringList& items) {
    choices.push_back({title, prompt, items});
    if (chooseAnswers.empty()) {
        return std::nullopt;
    }
    const std::optional<int> answer = chooseAnswers.front();
    chooseAnswers.pop_front();
    return answer;
}

void FakeWaiter::waitBlocking(int milliseconds) {
    waits.push_back(milliseconds);
    if (duringWait) {
        duringWait();
    }
}

bool FakeLauncher::start(const QString& program, const QStringList& arguments) {
    starts.push_back({program, arguments});
    return succeed;
}

void FakeRegistry::set(const QString& path, const QString& name, std::uint32_t type,
                       const QByteArray& bytes) {
    values[{path, name}] = Value{type, bytes};
}

bool FakeRegistry::openKey(Key root, const QString& path, std::uint32_t access, Key& opened) {
    accessMasks.push_back(access);
    opened = 0;
    bool exists = extraKeys.contains(path);
    for (const auto& entry : values) {
        exists = exists || entry.first.first == path;
    }
    if (root != kLocalMachine || !exists) {
        return false;
    }
    openedPaths.push_back(path);
    opened = static_cast<Key>(openedPaths.size());
    return true;
}

bool FakeRegistry::queryValue(Key key, const QString& name, std::uint32_t& type, QByteArray& data,
                              int capacity) {
    if (failQueries || key == 0 || key > openedPaths.size()) {
        return false;
    }
    const auto found = values.find({openedPaths[static_cast<std::size_t>(key - 1)], name});
    if (found == values.end()) {
        return false;
    }
    type = found->second.type;
    data = found->second.bytes.left(capacity);
    return true;
}

void FakeRegistry::closeKey(Key key) {
    closed.push_back(key);
}

void FakeKeySender::send(const QString& keys) {
    sent.push_back(keys);
    if (onSend) {
        onSend();
    }
}

} // namespace quarvel::testing
