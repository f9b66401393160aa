#include "frmSplash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace quarvel;

class tst_frmSplash : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmSplash> splash;

private slots:
    void init() {
        splash = std::make_unique<frmSplash>();
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash.get()));
    }
    void cleanup() { splash.reset(); }

    void windowWithoutTitleBarCentred() {
        QCOMPARE(splash->size(), QSize(627, 280));
        QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
        // A splash screen window has no task-bar entry.
        QCOMPARE(splash->windowType(), Qt::SplashScreen);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(splash->geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(splash->geometry().center().y() - screen.center().y()) <= 1);
    }

    void frameAndLogo() {
        QCOMPARE(splash->Frame1->geometry(), QRect(2, 4, 623, 270));
        QCOMPARE(splash->imgLogo->parentWidget(), splash->Frame1);
        QCOMPARE(splash->imgLogo->geometry(), QRect(16, 32, 222, 222));
        QCOMPARE(splash->imgLogo->pixmap().size(), QSize(222, 222));
        // The logo is drawn: it is not one flat colour.
        const QImage logo = splash->imgLogo->pixmap().toImage();
        QVERIFY(logo.pixel(60, 111) != logo.pixel(111, 140) ||
                logo.pixel(111, 140) != logo.pixel(5, 5));
    }

    void texts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("product") << "lblProductName"
                                 << "Quarvel";
        QTest::newRow("platform") << "lblPlatform"
                                  << "Quarvel software utility for Windows NT, 95, 98, and 2000.";
        QTest::newRow("company") << "lblCompanyProduct"
                                 << "The Quarvel Project";
        QTest::newRow("copyright")
            << "lblCopyright" << QStringLiteral("\u00a9 2026 The Quarvel Project");
    }

    void texts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto* label = splash->findChild<QLabel*>(name);
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), text);
    }

    void labelsPlacesAndFonts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("anchorX"); // left edge, or right edge for right-aligned labels
        QTest::addColumn<int>("top");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("rightAligned");

        QTest::newRow("company") << "lblCompanyProduct" << 200 << 40 << 18.0 << true << false
                                 << false;
        QTest::newRow("product") << "lblProductName" << 200 << 64 << 32.25 << true << false
                                 << false;
        QTest::newRow("platform") << "lblPlatform" << 552 + 55 << 160 << 11.25 << false << true
                                  << true;
        QTest::newRow("version") << "lblVersion" << 552 + 59 << 180 << 12.0 << true << false
                                 << true;
        QTest::newRow("copyright")
            << "lblCopyright" << 304 << 204 << 8.25 << false << false << false;
    }

    void labelsPlacesAndFonts() {
        QFETCH(QString, name);
        QFETCH(int, anchorX);
        QFETCH(int, top);
        QFETCH(double, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, rightAligned);
        auto* label = splash->findChild<QLabel*>(name);
        QVERIFY(label != nullptr);
        QCOMPARE(label->parentWidget(), splash->Frame1);
        const QRect g = label->geometry();
        QCOMPARE(rightAligned ? g.left() + g.width() : g.left(), anchorX);
        QCOMPARE(g.top(), top);
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(label->font().pointSizeF(), points);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->font().italic(), italic);
        QCOMPARE(label->alignment().testFlag(Qt::AlignRight), rightAligned);
        // Sized to its text: the whole text shows, and it stays inside the frame.
        QVERIFY(label->sizeHint().width() <= g.width() || label->wordWrap());
        QVERIFY(splash->Frame1->rect().contains(g));
    }

    void productNameIsBlue() {
        QCOMPARE(splash->lblProductName->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    void closingKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << true;
        QTest::newRow("digit") << int(Qt::Key_7) << "7" << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << "\r" << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "\x1b" << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << "" << false;
        QTest::newRow("F1") << int(Qt::Key_F1) << "" << false;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << "" << false;
    }

    void closingKeys() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(bool, closes);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(splash.get(), &press);
        QCOMPARE(splash->isVisible(), !closes);
    }

    void clickOnTheFrameCloses() {
        QTest::mouseClick(splash->Frame1, Qt::LeftButton, {}, QPoint(600, 250));
        QVERIFY(!splash->isVisible());
    }

    void clickOnALabelOrTheLogoDoesNot() {
        QTest::mouseClick(splash->lblProductName, Qt::LeftButton);
        QTest::mouseClick(splash->lblVersion, Qt::LeftButton);
        QTest::mouseClick(splash->imgLogo, Qt::LeftButton);
        QVERIFY(splash->isVisible());
    }
};

QTEST_MAIN(tst_frmSplash)
#include "tst_frmSplash.moc"
