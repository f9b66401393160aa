#pragma once

#include <QFont>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QAbstractButton;
class QLabel;
class QShortcut;
class QWidget;

namespace quarvel {

class Dialogs;

/**
 * Keeps a window's controls in their designed places as the window grows: a control that
 * grows takes the extra width (and height), the others keep their distance to the nearer
 * edge, left or right, top or bottom. At the designed size everything is where it was.
 */
class GrowingLayout : public QObject {
public:
    /** None keeps the distance to the nearer edges; BottomRight moves with the corner. */
    enum class Grow { None, Width, Both, BottomRight };

    /** area is the widget the controls sit in, designed at this size. */
    GrowingLayout(QWidget& area, QSize designed);
    void add(QWidget* control, Grow grow = Grow::None);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placed {
        QWidget* control;
        QRect designed;
        Grow grow;
    };
    void place();

    QWidget& area_;
    QSize designed_;
    std::vector<Placed> controls_;
};

/** Moves a window so that it sits in the middle of the primary screen's available area. */
void centreOnScreen(QWidget& window);

/** The font the dialog layouts are drawn for: Arial, 8.25 points. */
QFont dialogFont();

/**
 * Escape anywhere in the window clicks its cancel button, whichever control has the focus.
 * The shortcut is named "escapeShortcut".
 */
QShortcut* addEscapeShortcut(QWidget& window, QAbstractButton* cancel);

/**
 * Shrinks a one-line label's font by 0.25 points at a time, down to 6.5 points at the
 * least, until its text fits the label's width.
 */
void fitLabelText(QLabel& label);

/**
 * The same for a label whose text wraps at word boundaries: shrinks its font until the
 * wrapped text fits the label's height.
 */
void fitWrappedLabelText(QLabel& label);

/** "Version " and the build's major, minor and revision numbers, without leading zeros. */
QString versionText();

/**
 * Asks for the name of a file that is written beside the table being analysed, offering
 * defaultName. Returns the typed name, or the empty text when the user cancels.
 */
QString askSaveName(Dialogs& dialogs, QWidget* parent, const QString& defaultName);

} // namespace quarvel
