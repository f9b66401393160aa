#include "FakePlatform.h"
#include "HelpLauncher.h"
#include "HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel;
using quarvel::testing::FakePlatform;

namespace {

const QString kLaunchError = QStringLiteral("An Error occured attempting to launch Help.");

// A program folder whose name holds blanks, with the built help file in it.
QString folderWithHelpFile(const QTemporaryDir& root) {
    const QString folder = root.filePath(QStringLiteral("Quarvel Program Files"));
    if (!QDir().mkpath(folder) || !QFile::copy(QStringLiteral(QUARVEL_TEST_HELP_FILE),
                                               folder + QStringLiteral("/Quarvel.chm"))) {
        return {};
    }
    return folder;
}

} // namespace

class tst_HelpLauncher : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<QTemporaryDir> root;

    void launch() { HelpLauncher(fakes->platform, owner.get()).launch(); }

    void expectLaunchError() {
        QCOMPARE(fakes->dialogs.messages.size(), std::size_t{1});
        const auto& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text, kLaunchError);
        QCOMPARE(shown.title, QStringLiteral("Error!"));
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.icon, MessageIcon::Information);
        QVERIFY(fakes->keys.sent.empty());
    }

private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        owner = std::make_unique<QWidget>();
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(root->isValid());
    }

    void cleanup() {
        delete HelpLauncher::helpWindow();
        owner.reset();
        fakes.reset();
        root.reset();
    }

    // The command line for the Windows help viewer, composed as the launcher hands it on.
    void commandLine_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");

        QTest::newRow("95/98 family") << 1 << "C:\\Program Files\\Quarvel"
                                      << "c:\\windows\\system\\hh.exe C:\\Program "
                                         "Files\\Quarvel\\Quarvel.chm";
        QTest::newRow("NT family") << 2 << "C:\\Program Files\\Quarvel"
                                   << "c:\\winnt\\system32\\hh.exe C:\\Program "
                                      "Files\\Quarvel\\Quarvel.chm";
        QTest::newRow("folder without blanks")
            << 2 << "D:\\Tools"
            << "c:\\winnt\\system32\\hh.exe D:\\Tools\\Quarvel.chm";
        QTest::newRow("several blanks, not quoted")
            << 1 << "C:\\My  Box Plots\\Quarvel 1.0"
            << "c:\\windows\\system\\hh.exe C:\\My  Box Plots\\Quarvel 1.0\\Quarvel.chm";
        QTest::newRow("root of a drive") << 2 << "E:"
                                         << "c:\\winnt\\system32\\hh.exe E:\\Quarvel.chm";
        QTest::newRow("any other non-zero code")
            << 7 << "C:\\Quarvel"
            << "c:\\winnt\\system32\\hh.exe C:\\Quarvel\\Quarvel.chm";
        QTest::newRow("negative code") << -1 << "C:\\Quarvel"
                                       << "c:\\winnt\\system32\\hh.exe C:\\Quarvel\\Quarvel.chm";
    }

    void commandLine() {
        QFETCH(int, code);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QCOMPARE(helpCommandLine(code, folder), expected);
    }

    void unknownPlatformOnlyInforms() {
        fakes->systemInfo.code = SystemInfo::kPlatformUnknown;
        fakes->systemInfo.folder = folderWithHelpFile(*root);
        launch();
        QCOMPARE(fakes->dialogs.messages.size(), std::size_t{1});
        const auto& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text,
                 QStringLiteral("Help cannot be launched because your OS is undefined."));
        QCOMPARE(shown.title, QStringLiteral("FYI"));
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.icon, MessageIcon::Information);
        QVERIFY(fakes->launcher.starts.empty());
        QVERIFY(fakes->keys.sent.empty());
        QVERIFY(HelpLauncher::helpWindow() == nullptr);
    }

    // Windows: the viewer is started on the help file, then F1 is sent.
    void windowsViewer_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("helpFile");

        QTest::newRow("95/98 family") << 1 << "C:\\Program Files\\Quarvel"
                                      << "c:\\windows\\system\\hh.exe"
                                      << "C:\\Program Files\\Quarvel\\Quarvel.chm";
        QTest::newRow("NT family") << 2 << "C:\\Program Files\\Quarvel"
                                   << "c:\\winnt\\system32\\hh.exe"
                                   << "C:\\Program Files\\Quarvel\\Quarvel.chm";
        QTest::newRow("NT family, short folder") << 2 << "D:\\Q"
                                                 << "c:\\winnt\\system32\\hh.exe"
                                                 << "D:\\Q\\Quarvel.chm";
    }

    void windowsViewer() {
        QFETCH(int, code);
        QFETCH(QString, folder);
        QFETCH(QString, viewer);
        QFETCH(QString, helpFile);
        fakes->systemInfo.code = code;
        fakes->systemInfo.folder = folder;
        std::size_t startsWhenF1Sent = 0;
        fakes->keys.onSend = [&] { startsWhenF1Sent = fakes->launcher.starts.size(); };

        launch();

        QCOMPARE(fakes->launcher.starts.size(), std::size_t{1});
        const auto& start = fakes->launcher.starts.front();
        QCOMPARE(start.program, viewer);
        // The help file's path goes whole, blanks and all, after the one separating blank.
        QCOMPARE(start.arguments, QStringList{helpFile});
        QCOMPARE(start.program + QLatin1Char(' ') + start.arguments.join(QLatin1Char(' ')),
                 helpCommandLine(code, folder));
        QCOMPARE(fakes->keys.sent, std::vector<QString>{QStringLiteral("{F1}")});
        QCOMPARE(startsWhenF1Sent, std::size_t{1});
        QVERIFY(fakes->dialogs.messages.empty());
        QVERIFY(HelpLauncher::helpWindow() == nullptr);
    }

    void viewerThatDoesNotStart() {
        fakes->systemInfo.code = SystemInfo::kPlatformWindowsNT;
        fakes->systemInfo.folder = QStringLiteral("C:\\Program Files\\Quarvel");
        fakes->launcher.succeed = false;
        launch();
        QCOMPARE(fakes->launcher.starts.size(), std::size_t{1});
        expectLaunchError();
    }

    // Elsewhere: the program's own help window shows the help file, then F1 is sent.
    void ownHelpWindow_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("recognised system") << int{SystemInfo::kPlatformOther};
        QTest::newRow("some other code") << 9;
    }

    void ownHelpWindow() {
        QFETCH(int, code);
        fakes->systemInfo.code = code;
        fakes->systemInfo.folder = folderWithHelpFile(*root);
        QVERIFY(!fakes->systemInfo.folder.isEmpty());
        bool shownWhenF1Sent = false;
        fakes->keys.onSend = [&] {
            shownWhenF1Sent =
                HelpLauncher::helpWindow() != nullptr && HelpLauncher::helpWindow()->isVisible();
        };

        launch();

        QVERIFY(fakes->dialogs.messages.empty());
        QVERIFY(fakes->launcher.starts.empty());
        QCOMPARE(fakes->keys.sent, std::vector<QString>{QStringLiteral("{F1}")});
        QVERIFY(shownWhenF1Sent);
        HelpWindow* window = HelpLauncher::helpWindow();
        QVERIFY(window != nullptr);
        QVERIFY(window->isWindow());
        QCOMPARE(window->windowTitle(), QStringLiteral("Quarvel Help"));
        QCOMPARE(window->currentPage(), QStringLiteral("index.html"));
        QVERIFY(window->browser->toPlainText().contains(QStringLiteral("Working with Quarvel")));
    }

    void secondLaunchShowsTheSameWindow() {
        fakes->systemInfo.folder = folderWithHelpFile(*root);
        launch();
        const QPointer<HelpWindow> first = HelpLauncher::helpWindow();
        QVERIFY(!first.isNull());
        first->showPage(QStringLiteral("join.html"));
        first->hide();

        launch();
        QCOMPARE(HelpLauncher::helpWindow(), first.data());
        QVERIFY(first->isVisible());
        // The reader keeps the page she had open.
        QCOMPARE(first->currentPage(), QStringLiteral("join.html"));
        QCOMPARE(fakes->keys.sent.size(), std::size_t{2});
        QVERIFY(fakes->dialogs.messages.empty());
    }

    void closingTheWindowDiscardsIt() {
        fakes->systemInfo.folder = folderWithHelpFile(*root);
        launch();
        const QPointer<HelpWindow> first = HelpLauncher::helpWindow();
        QVERIFY(!first.isNull());
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(HelpLauncher::helpWindow() == nullptr);

        launch();
        QVERIFY(HelpLauncher::helpWindow() != nullptr);
        QCOMPARE(HelpLauncher::helpWindow()->currentPage(), QStringLiteral("index.html"));
    }

    void windowGoesWithItsOwner() {
        fakes->systemInfo.folder = folderWithHelpFile(*root);
        launch();
        QVERIFY(HelpLauncher::helpWindow() != nullptr);
        owner.reset();
        QVERIFY(HelpLauncher::helpWindow() == nullptr);
    }

    void helpFileMissingOrUnreadable_data() {
        QTest::addColumn<QByteArray>("content"); // what lies at Quarvel.chm
        QTest::addColumn<bool>("folderInstead");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray("") << false;
        QTest::newRow("not a help file")
            << QByteArray("<html><body>Help</body></html>\r\n") << false;
        QTest::newRow("cut short") << QByteArray("ITSF\x03\x00\x00\x00", 8) << false;
        QTest::newRow("a folder of that name") << QByteArray() << true;
    }

    void helpFileMissingOrUnreadable() {
        QFETCH(QByteArray, content);
        QFETCH(bool, folderInstead);
        const QString folder = root->filePath(QStringLiteral("Program Folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString helpFile = folder + QStringLiteral("/Quarvel.chm");
        if (folderInstead) {
            QVERIFY(QDir().mkpath(helpFile));
        } else if (!content.isNull()) {
            QFile file(helpFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        fakes->systemInfo.code = SystemInfo::kPlatformOther;
        fakes->systemInfo.folder = folder;

        launch();

        expectLaunchError();
        QVERIFY(fakes->launcher.starts.empty());
        QVERIFY(HelpLauncher::helpWindow() == nullptr);
    }
};

QTEST_MAIN(tst_HelpLauncher)
#include "tst_HelpLauncher.moc"
