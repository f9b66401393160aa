#include "BusyIndicator.h"

#include <QProgressBar>
#include <QTimer>

#include <algorithm>

namespace quarvel {

BusyIndicator::BusyIndicator(QProgressBar& bar, const QString& format)
    : QObject(&bar), bar_(bar), format_(format), delay_(new QTimer(this)) {
    bar_.setRange(0, 100);
    bar_.setFormat(stageless());
    bar_.hide();
    delay_->setSingleShot(true);
    delay_->setInterval(kDelayMilliseconds);
    connect(delay_, &QTimer::timeout, &bar_, &QWidget::show);
}

void BusyIndicator::begin() {
    bar_.setValue(0);
    bar_.setFormat(stageless());
    delay_->start();
}

QString BusyIndicator::stageless() const {
    return showsStage() ? format_.arg(QString()).trimmed() : format_;
}

bool BusyIndicator::showsStage() const {
    return format_.contains(QLatin1String("%1"));
}

void BusyIndicator::setStage(const QString& text) {
    if (showsStage()) {
        bar_.setFormat(format_.arg(text));
    }
}

void BusyIndicator::setFraction(double done) {
    // A bar never goes back: stages that report afresh from their start keep the bar where
    // the work as a whole has come.
    const int percent = static_cast<int>(std::clamp(done, 0.0, 1.0) * 100 + 0.5);
    bar_.setValue(std::max(bar_.value(), percent));
}

void BusyIndicator::end() {
    delay_->stop();
    bar_.setValue(100);
    bar_.hide();
}

} // namespace quarvel
