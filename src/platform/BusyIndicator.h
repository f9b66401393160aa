#pragma once

#include <QObject>
#include <QString>

class QProgressBar;
class QTimer;

namespace quarvel {

/**
 * A progress bar that shows long work: hidden while the work is short, it appears once the
 * work has taken kDelayMilliseconds, rises with the fractions reported, and reaches its end
 * before it goes when the work is over. A bar that shows its stage (a format with "%1")
 * carries the stage text before its percentage.
 */
class BusyIndicator : public QObject {
public:
    static constexpr int kDelayMilliseconds = 300;

    /** Takes charge of the bar (hidden until work has run a while); format is its text. */
    BusyIndicator(QProgressBar& bar, const QString& format = QStringLiteral("%p%"));

    void begin();
    void setStage(const QString& text);
    void setFraction(double done);
    void end();

private:
    bool showsStage() const;
    QString stageless() const;

    QProgressBar& bar_;
    QString format_;
    QTimer* delay_;
};

} // namespace quarvel
