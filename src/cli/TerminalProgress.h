#pragma once

#include "Progress.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace quarvel {

/**
 * From now on Ctrl+C (or a polite kill) asks the work to stop at its next check, which leaves
 * no file half-made; a second signal ends the program at once.
 */
void CatchInterrupts();

/** Whether Ctrl+C (or a polite kill) has come since CatchInterrupts. */
bool Interrupted();

/**
 * The stages on standard error, once a table has taken more than a second, when standard
 * error is a terminal: one line, written over, and ended by finish(). Stops when interrupted.
 */
class TerminalProgress final : public Progress {
public:
    TerminalProgress(std::FILE* err, const QString& table);
    ~TerminalProgress() override { finish(); }

    void stage(const QString& text) override;
    void fraction(double done) override;
    bool stopRequested() override { return Interrupted(); }
    /** Ends the line, if one is shown, so that messages start on a line of their own. */
    void finish();

private:
    void show();

    std::FILE* err_;
    QString table_;
    bool terminal_;
    QElapsedTimer clock_;
    QElapsedTimer lastShown_;
    QString stage_;
    double done_ = 0;
    bool shown_ = false;
};

} // namespace quarvel
