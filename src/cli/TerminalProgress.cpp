#include "TerminalProgress.h"

#include <csignal>
#include <unistd.h>

namespace quarvel {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int signal) {
    interrupted = 1;
    std::signal(signal, SIG_DFL);
}

} // namespace

void CatchInterrupts() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

bool Interrupted() {
    return interrupted != 0;
}

TerminalProgress::TerminalProgress(std::FILE* err, const QString& table)
    : err_(err), table_(table), terminal_(isatty(fileno(err)) != 0) {
    clock_.start();
}

void TerminalProgress::stage(const QString& text) {
    stage_ = text;
    show();
}

void TerminalProgress::fraction(double done) {
    done_ = done;
    show();
}

void TerminalProgress::finish() {
    if (shown_) {
        std::fputs("\n", err_);
        std::fflush(err_);
        shown_ = false;
    }
}

void TerminalProgress::show() {
    if (!terminal_ || clock_.elapsed() < 1000 ||
        (lastShown_.isValid() && lastShown_.elapsed() < 100)) {
        return;
    }
    lastShown_.start();
    const QString line =
        QStringLiteral("\r%1: %2 %3%").arg(table_, stage_).arg(static_cast<int>(done_ * 100));
    std::fputs(line.leftJustified(79).toLocal8Bit().constData(), err_);
    std::fflush(err_);
    shown_ = true;
}

} // namespace quarvel
