#pragma once

#include <algorithm>
#include <functional>

namespace quarvel {

/**
 * One fraction for the whole opening, which only grows: the reading (unless the file is
 * mapped), then the scan of the deletion flags, then (when nothing names the code page) the
 * UTF-8 check of every byte. Each step's share is its expected time, as measured on a table of
 * ten million records: reading a byte about 0.3 ns; a record's flag 20 ns where the scan is the
 * first to touch the mapped pages, 8 ns once they are read; checking a byte 0.1 ns.
 */
class OpenProgress {
public:
    enum Step { Read, Flags, Utf8, Steps };

    explicit OpenProgress(const std::function<bool(double)>& report) : report_(report) {}

    void plan(bool mapped, double fileBytes, double records, bool utf8Check) {
        const double shares[Steps] = {mapped ? 0.0 : fileBytes * 0.3,
                                      records * (mapped ? 20.0 : 8.0),
                                      utf8Check ? fileBytes * 0.1 : 0.0};
        double total = 0;
        for (int s = 0; s < Steps; ++s) {
            start_[s] = total;
            total += shares[s];
        }
        for (int s = 0; s < Steps; ++s) {
            start_[s] = total > 0 ? start_[s] / total : 1.0;
            share_[s] = total > 0 ? shares[s] / total : 0.0;
        }
    }

    /** Tells how much of a step is done; false when the opening is to stop. */
    bool at(Step step, double done) {
        if (!report_) {
            return true;
        }
        const double fraction = start_[step] + share_[step] * std::clamp(done, 0.0, 1.0);
        reported_ = std::clamp(fraction, reported_, 1.0);
        return report_(reported_);
    }

private:
    const std::function<bool(double)>& report_;
    double start_[Steps] = {};
    double share_[Steps] = {};
    double reported_ = 0;
};

} // namespace quarvel
