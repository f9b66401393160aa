#include "WindowSetup.h"

#include "Dialogs.h"
#include "Version.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace quarvel {

GrowingLayout::GrowingLayout(QWidget& area, QSize designed)
    : QObject(&area), area_(area), designed_(designed) {
    area.installEventFilter(this);
}

void GrowingLayout::add(QWidget* control, Grow grow) {
    controls_.push_back(Placed{control, control->geometry(), grow});
}

bool GrowingLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &area_ && event->type() == QEvent::Resize) {
        place();
    }
    return QObject::eventFilter(watched, event);
}

void GrowingLayout::place() {
    const int wider = std::max(0, area_.width() - designed_.width());
    const int taller = std::max(0, area_.height() - designed_.height());
    for (const Placed& placed : controls_) {
        QRect at = placed.designed;
        if (placed.grow == Grow::BottomRight) {
            at.translate(wider, taller);
        } else if (placed.grow == Grow::None) {
            // The nearer edge, across and down, keeps its distance.
            if (designed_.width() - at.right() < at.left()) {
                at.translate(wider, 0);
            }
            if (designed_.height() - at.bottom() < at.top()) {
                at.translate(0, taller);
            }
        } else {
            at.setWidth(at.width() + wider);
            if (placed.grow == Grow::Both) {
                at.setHeight(at.height() + taller);
            }
        }
        placed.control->setGeometry(at);
    }
}
namespace {

constexpr double kSmallestPoints = 6.5;
constexpr double kShrinkStep = 0.25;

// Takes a quarter point off the label's font while the text does not fit and the font is
// still above the smallest size that stays readable.
template <typename Fits>
void shrinkUntil(QLabel& label, Fits fits) {
    QFont font = label.font();
    while (!fits(QFontMetrics(font)) && font.pointSizeF() > kSmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - kShrinkStep);
    }
    label.setFont(font);
}

} // namespace

void centreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
}

QFont dialogFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return font;
}

QShortcut* addEscapeShortcut(QWidget& window, QAbstractButton* cancel) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setObjectName(QStringLiteral("escapeShortcut"));
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, cancel, &QAbstractButton::click);
    return escape;
}

void fitLabelText(QLabel& label) {
    const QString text = label.text();
    const int width = label.width();
    shrinkUntil(label, [&](const QFontMetrics& metrics) {
        return metrics.horizontalAdvance(text) <= width;
    });
}

void fitWrappedLabelText(QLabel& label) {
    const QString text = label.text();
    const int width = label.width();
    const int height = label.height();
    shrinkUntil(label, [&](const QFontMetrics& metrics) {
        // Wrapped in a box as wide as the label and taller than any text would need.
        return metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).height() <=
               height;
    });
}

QString versionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

QString askSaveName(Dialogs& dialogs, QWidget* parent, const QString& defaultName) {
    return dialogs.input(
        parent,
        QStringLiteral("Enter a name for this file (note: it will be saved to the same folder as "
                       "the input database attribute table)."),
        QStringLiteral("Question"), defaultName);
}

} // namespace quarvel
