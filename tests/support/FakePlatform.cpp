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

} // namespace quarvel::testing
