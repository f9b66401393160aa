#include "QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

using namespace quarvel;

class tst_QtPlatform : public QObject {
    Q_OBJECT

private slots:
    void nameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("tables") << "Dbase attribute table (.dbf)|*.dbf|"
                                << QStringList{"Dbase attribute table (.dbf) (*.dbf)"};
        QTest::newRow("two entries, no final bar")
            << "Tables|*.dbf|Text|*.txt;*.csv"
            << QStringList{"Tables (*.dbf)", "Text (*.txt *.csv)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void nameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }

    void openDialogDefaults() {
        const OpenFileSettings settings;
        QCOMPARE(settings.filter, QStringLiteral("Dbase attribute table (.dbf)|*.dbf|"));
        QCOMPARE(settings.filterIndex, 1);
        QCOMPARE(settings.flags, 4);
    }

    void hostSystem() {
        const HostSystemInfo host;
        QVERIFY(host.platformCode() != SystemInfo::kPlatformUnknown);
        QCOMPARE(QDir(host.programFolder()), QDir(QCoreApplication::applicationDirPath()));
        QVERIFY(!host.programFolder().endsWith(QDir::separator()));
    }

    void launcherReportsAProgramThatCannotStart() {
        DetachedProcessLauncher launcher;
        QVERIFY(!launcher.start(QStringLiteral("/nonexistent/quarvel-no-such-program"), {}));
        QVERIFY(launcher.start(QStringLiteral("true"), {}));
    }
};

QTEST_MAIN(tst_QtPlatform)
#include "tst_QtPlatform.moc"
