#pragma once

#include <QString>

namespace quarvel {

/**
 * How long work reports what it is doing and learns whether to stop. The windows show the
 * stage texts in the status line; the command line prints them when the work takes long.
 * Every member is called on the thread that does the work.
 */
class Progress {
public:
    virtual ~Progress() = default;
    /** A new stage begins; text is what the status line shows for it. */
    virtual void stage(const QString& text) = 0;
    /** How much of the whole work is done, from 0 to 1. */
    virtual void fraction(double done) { static_cast<void>(done); }
    /** Asked between stages: true ends the work there, leaving every file as it was. */
    virtual bool stopRequested() { return false; }
};

} // namespace quarvel
