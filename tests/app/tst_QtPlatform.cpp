#include "QtPlatform.h"

#include <QApplication>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
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

    void hostSystem() {
        const HostSystemInfo host;
        QVERIFY(host.platformCode() != SystemInfo::kPlatformUnknown);
        QCOMPARE(QDir(host.programFolder()), QDir(QCoreApplication::applicationDirPath()));
        QVERIFY(!host.programFolder().endsWith(QDir::separator()));
    }

    void standInRegistryAnswersOnlyTheToolPath() {
        QTemporaryDir bin;
        const QString tool = bin.filePath("kinfocenter");
        QFile file(tool);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));

        HostRegistry registry;
        Registry::Key key = 0;
        QVERIFY(registry.openKey(Registry::kLocalMachine,
                                 QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                                 0x2003F, key));
        std::uint32_t type = 0;
        QByteArray data;
        QVERIFY(registry.queryValue(key, QStringLiteral("PATH"), type, data, 1024));
        QCOMPARE(type, Registry::kTypeString);
        QCOMPARE(data, QFile::encodeName(tool) + '\0');
        QVERIFY(!registry.queryValue(key, QStringLiteral("OTHER"), type, data, 1024));
        registry.closeKey(key);
        Registry::Key other = 0;
        QVERIFY(!registry.openKey(Registry::kLocalMachine,
                                  QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                                  0x2003F, other));

        // Nothing on the PATH: no value.
        qputenv("PATH", "/nonexistent");
        QVERIFY(registry.openKey(Registry::kLocalMachine,
                                 QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                                 0x2003F, key));
        QVERIFY(!registry.queryValue(key, QStringLiteral("PATH"), type, data, 1024));
        qputenv("PATH", savedPath);
    }

    void keySenderQueuesKeysToTheFocusedWidget() {
        QLineEdit edit;
        edit.show();
        edit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        edit.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &edit);
        FocusKeySender keys;
        keys.send(QStringLiteral("ab"));
        QCOMPARE(edit.text(), QString()); // queued, not yet delivered
        QCoreApplication::processEvents();
        QCOMPARE(edit.text(), QStringLiteral("ab"));

        struct F1Watcher : QObject {
            int f1 = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::KeyPress &&
                    static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
                    ++f1;
                }
                return false;
            }
        } watcher;
        edit.installEventFilter(&watcher);
        keys.send(QStringLiteral("{F1}"));
        QCoreApplication::processEvents();
        QCOMPARE(watcher.f1, 1);
    }

    void launcherReportsAProgramThatCannotStart() {
        DetachedProcessLauncher launcher;
        QVERIFY(!launcher.start(QStringLiteral("/nonexistent/quarvel-no-such-program"), {}));
        QVERIFY(launcher.start(QStringLiteral("true"), {}));
    }
};

QTEST_MAIN(tst_QtPlatform)
#include "tst_QtPlatform.moc"
