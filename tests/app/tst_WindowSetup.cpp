#include "FakePlatform.h"
#include "WindowSetup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace quarvel;
using quarvel::testing::FakeDialogs;

namespace {

QFont arial(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    return font;
}

bool fitsOneLine(const QLabel& label, double points) {
    return QFontMetrics(arial(points)).horizontalAdvance(label.text()) <= label.width();
}

} // namespace

class tst_WindowSetup : public QObject {
    Q_OBJECT

private slots:
    void centred() {
        QWidget window;
        window.resize(300, 200);
        centreOnScreen(window);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(window.geometry().center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(window.geometry().center().y() - area.center().y()) <= 1);
    }

    void escapeClicksTheCancelButton() {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), &window);
        addEscapeShortcut(window, cancel);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        edit->setFocus();
        QSignalSpy clicks(cancel, &QPushButton::clicked);
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(clicks.count(), 1);
    }

    void aLabelThatFitsKeepsItsFont() {
        QLabel label(QStringLiteral("Short"));
        label.setFont(arial(8.25));
        label.resize(400, 20);
        fitLabelText(label);
        QCOMPARE(label.font().pointSizeF(), 8.25);
    }

    void aLabelShrinksToTheLargestQuarterPointThatFits() {
        QLabel label(QStringLiteral("Select the ArcView database attribute table"));
        label.setFont(arial(8.25));
        label.resize(QFontMetrics(arial(7.5)).horizontalAdvance(label.text()), 20);
        QVERIFY(!fitsOneLine(label, 8.25)); // the test needs a text that does not fit at first
        fitLabelText(label);
        const double points = label.font().pointSizeF();
        QVERIFY(points < 8.25);
        QVERIFY(fitsOneLine(label, points));
        QVERIFY(!fitsOneLine(label, points + 0.25));
    }

    void shrinkingStopsAtSixAndAHalfPoints() {
        QLabel label(QStringLiteral("A text far too long for a label this narrow"));
        label.setFont(arial(8.25));
        label.resize(20, 20);
        fitLabelText(label);
        QCOMPARE(label.font().pointSizeF(), 6.5);

        QLabel wrapped(label.text());
        wrapped.setFont(arial(8.25));
        wrapped.setWordWrap(true);
        wrapped.resize(60, 5);
        fitWrappedLabelText(wrapped);
        QCOMPARE(wrapped.font().pointSizeF(), 6.5);
    }

    void aWrappedLabelThatFitsKeepsItsFont() {
        QLabel label(
            QStringLiteral("Step 1: Select the field that will act as your relate field."));
        label.setFont(arial(8.25));
        label.setWordWrap(true);
        label.resize(120, 200);
        fitWrappedLabelText(label);
        QCOMPARE(label.font().pointSizeF(), 8.25);
    }

    void versionFromTheBuild() {
        QCOMPARE(versionText(),
                 QStringLiteral("Version ") + QStringLiteral(QUARVEL_TEST_PROJECT_VERSION));
    }

    void saveNamePrompt() {
        FakeDialogs dialogs;
        dialogs.inputAnswers.push_back(QStringLiteral("mine.csv"));
        QCOMPARE(askSaveName(dialogs, nullptr, QStringLiteral("Median.csv")),
                 QStringLiteral("mine.csv"));
        QCOMPARE(dialogs.inputs.size(), std::size_t{1});
        QCOMPARE(dialogs.inputs.front().prompt,
                 QStringLiteral("Enter a name for this file (note: it will be saved to the same "
                                "folder as the input database attribute table)."));
        QCOMPARE(dialogs.inputs.front().title, QStringLiteral("Question"));
        QCOMPARE(dialogs.inputs.front().defaultText, QStringLiteral("Median.csv"));
        // Cancelled: the empty name.
        QCOMPARE(askSaveName(dialogs, nullptr, QStringLiteral("Join.txt")), QString());
    }
};

QTEST_MAIN(tst_WindowSetup)
#include "tst_WindowSetup.moc"
