#include "FakePlatform.h"
#include "frmAbout.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quarvel;
using quarvel::testing::FakePlatform;

namespace {

const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

QByteArray bytes(std::initializer_list<unsigned char> values) {
    QByteArray result;
    for (const unsigned char value : values) {
        result.append(static_cast<char>(value));
    }
    return result;
}

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<frmAbout> about;

    void expectUnavailableMessage() {
        QCOMPARE(fakes->dialogs.messages.size(), std::size_t{1});
        const auto& shown = fakes->dialogs.messages.front();
        QCOMPARE(shown.text, kUnavailable);
        QCOMPARE(shown.title, QStringLiteral("Quarvel"));
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(shown.icon, MessageIcon::None);
    }

private slots:
    void init() {
        fakes = std::make_unique<FakePlatform>();
        about = std::make_unique<frmAbout>(fakes->platform);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    }

    void cleanup() {
        about.reset();
        fakes.reset();
    }

    // ---------------------------------------------------------------------------------
    // The window and its controls.

    void fixedDialogWindow() {
        QCOMPARE(about->windowTitle(), QStringLiteral("About Quarvel"));
        QVERIFY(about->parentWidget() == nullptr);
        QCOMPARE(about->windowType(), Qt::Dialog);
        // 5730 x 3555 twips, and the user cannot change it.
        QCOMPARE(about->size(), QSize(382, 237));
        QCOMPARE(about->minimumSize(), QSize(382, 237));
        QCOMPARE(about->maximumSize(), QSize(382, 237));
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");

        // Twips divided by 15: left, top, width, height in pixels.
        QTest::newRow("picIcon") << "picIcon" << QRect(16, 16, 36, 36) << "";
        QTest::newRow("lblTitle") << "lblTitle" << QRect(70, 16, 296, 32) << "Quarvel";
        QTest::newRow("lblVersion")
            << "lblVersion" << QRect(70, 52, 296, 17)
            << QStringLiteral("Version ") + QStringLiteral(QUARVEL_TEST_PROJECT_VERSION);
        QTest::newRow("lblDisclaimer")
            << "lblDisclaimer" << QRect(17, 175, 258, 17) << "Warning: Beta version.";
        QTest::newRow("cmdOK") << "cmdOK" << QRect(283, 175, 84, 23) << "OK";
        QTest::newRow("cmdSysInfo") << "cmdSysInfo" << QRect(283, 205, 84, 23) << "&System Info...";
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        auto* control = about->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isVisible());
        QVERIFY(QRect(QPoint(0, 0), about->size()).contains(control->geometry()));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            if (!text.isEmpty()) {
                // The whole text fits in its label.
                QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->width());
                QVERIFY(label->fontMetrics().height() <= label->height());
            }
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), text);
        }
    }

    void description() {
        QCOMPARE(about->lblDescription->geometry(), QRect(70, 75, 296, 78));
        // A credit sentence, two blanks, then what the program is for.
        QCOMPARE(about->lblDescription->text(),
                 QStringLiteral("This utility was designed and written for The Quarvel Project by "
                                "its spatial statistics lead.  It was developed to assist ArcView "
                                "users in data visualization by providing a means to view their "
                                "data based on the Median (a resilient statistic) of a numeric "
                                "attribute."));
        // Wrapped, it fits in its label.
        QVERIFY(about->lblDescription->wordWrap());
        QVERIFY(about->lblDescription->heightForWidth(about->lblDescription->width()) <=
                about->lblDescription->height());
    }

    void etchedLine() {
        const QList<QFrame*> lines = about->findChildren<QFrame*>(QStringLiteral("Line1"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(about->Line1[0]->geometry(), QRect(7, 155, 368, 1));
        QCOMPARE(about->Line1[1]->geometry(), QRect(7, 156, 368, 1));
        const QImage shown = about->grab().toImage();
        QCOMPARE(shown.pixelColor(190, 155), QColor(128, 128, 128));
        QCOMPARE(shown.pixelColor(190, 156), QColor(255, 255, 255));
    }

    void icon() {
        const QPixmap picture = about->picIcon->pixmap();
        QCOMPARE(picture.size(), QSize(32, 32));
        // Drawn in more than one colour.
        const QImage image = picture.toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 0) {
                    colours.insert(image.pixel(x, y));
                }
            }
        }
        QVERIFY(colours.size() >= 2);
    }

    void iconOfTheApplication() {
        QPixmap red(32, 32);
        red.fill(QColor(200, 0, 0));
        QApplication::setWindowIcon(QIcon(red));
        frmAbout other(fakes->platform);
        QApplication::setWindowIcon(QIcon());
        QCOMPARE(other.picIcon->pixmap().toImage().pixelColor(16, 16), QColor(200, 0, 0));
    }

    // ---------------------------------------------------------------------------------
    // OK: the button, Enter and Escape.

    void okCloses_data() {
        QTest::addColumn<int>("how"); // 0 click, 1 Enter, 2 Return, 3 Escape
        QTest::newRow("click") << 0;
        QTest::newRow("Enter") << 1;
        QTest::newRow("Return") << 2;
        QTest::newRow("Escape") << 3;
    }

    void okCloses() {
        QFETCH(int, how);
        QVERIFY(about->cmdOK->isDefault());
        QApplication::setActiveWindow(about.get());
        about->cmdOK->setFocus();
        switch (how) {
        case 0:
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(about.get(), Qt::Key_Enter);
            break;
        case 2:
            QTest::keyClick(about->cmdOK, Qt::Key_Return);
            break;
        default:
            QTest::keyClick(about->cmdOK, Qt::Key_Escape);
            break;
        }
        QVERIFY(!about->isVisible());
        QVERIFY(fakes->dialogs.messages.empty());
        QVERIFY(fakes->launcher.starts.empty());
    }

    void escapeFromSystemInfoButtonPressesOk() {
        QApplication::setActiveWindow(about.get());
        about->cmdSysInfo->setFocus();
        QTest::keyClick(about->cmdSysInfo, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        QVERIFY(fakes->launcher.starts.empty());
    }

    void systemInfoButtonStartsTheTool() {
        fakes->registry.set(kToolKey, QStringLiteral("PATH"), Registry::kTypeString,
                            QByteArray("/usr/bin/hardinfo\0", 18));
        QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);
        QCOMPARE(fakes->launcher.starts.size(), std::size_t{1});
        QCOMPARE(fakes->launcher.starts.front().program, QStringLiteral("/usr/bin/hardinfo"));
        QVERIFY(fakes->launcher.starts.front().arguments.isEmpty());
        QVERIFY(about->isVisible());
    }

    // ---------------------------------------------------------------------------------
    // GetKeyValue.

    void getKeyValue_data() {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("passed");
        QTest::addColumn<QString>("expected");

        QTest::newRow("string with its NUL")
            << 1u << QByteArray("C:\\WINNT\\system32\\msinfo32.exe\0", 31) << "before"
            << "C:\\WINNT\\system32\\msinfo32.exe";
        QTest::newRow("string without a NUL") << 1u << QByteArray("C:\\Tools\\info.exe") << "before"
                                              << "C:\\Tools\\info.exe";
        QTest::newRow("only the last NUL goes")
            << 1u << QByteArray("ab\0\0", 4) << "" << QStringLiteral("ab") + QChar(0);
        QTest::newRow("empty string with its NUL") << 1u << QByteArray("\0", 1) << "before"
                                                   << "";
        QTest::newRow("string of 1030 bytes is cut to the buffer")
            << 1u << QByteArray(1030, 'x') << "" << QString(1024, QLatin1Char('x'));
        QTest::newRow("number 0x12345678") << 4u << bytes({0x78, 0x56, 0x34, 0x12}) << ""
                                           << "&h12345678";
        QTest::newRow("number 0xFFFFFFFF") << 4u << bytes({0xff, 0xff, 0xff, 0xff}) << ""
                                           << "&hFFFFFFFF";
        QTest::newRow("number 0x0A0B0C0D") << 4u << bytes({0x0d, 0x0c, 0x0b, 0x0a}) << "before"
                                           << "&h0A0B0C0D";
        // A number whose top byte is 0 ends in a NUL, which goes like a string's.
        QTest::newRow("number 1") << 4u << bytes({0x01, 0x00, 0x00, 0x00}) << ""
                                  << "&h000001";
        QTest::newRow("number 0x00010203") << 4u << bytes({0x03, 0x02, 0x01, 0x00}) << ""
                                           << "&h010203";
        QTest::newRow("binary leaves the text") << 3u << bytes({0x01, 0x02}) << "as passed"
                                                << "as passed";
        QTest::newRow("expandable string leaves the text")
            << 2u << QByteArray("%SystemRoot%\\x\0", 15) << ""
            << "";
        QTest::newRow("multi-string leaves the text") << 7u << QByteArray("a\0b\0\0", 5) << "kept"
                                                      << "kept";
    }

    void getKeyValue() {
        QFETCH(uint, type);
        QFETCH(QByteArray, stored);
        QFETCH(QString, passed);
        QFETCH(QString, expected);
        fakes->registry.set(QStringLiteral("SOFTWARE\\Quarvel\\Test"), QStringLiteral("Value"),
                            type, stored);
        QString value = passed;
        QVERIFY(about->GetKeyValue(Registry::kLocalMachine,
                                   QStringLiteral("SOFTWARE\\Quarvel\\Test"),
                                   QStringLiteral("Value"), value));
        QCOMPARE(value, expected);
        QCOMPARE(fakes->registry.accessMasks, std::vector<std::uint32_t>{0x2003F});
        QCOMPARE(fakes->registry.closed, std::vector<Registry::Key>{1});
    }

    void getKeyValueFailures_data() {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<bool>("failQueries");
        QTest::addColumn<bool>("opens");

        QTest::newRow("no such key") << "SOFTWARE\\Nobody"
                                     << "Value" << false << false;
        QTest::newRow("no such value") << "SOFTWARE\\Quarvel\\Test"
                                       << "Other" << false << true;
        QTest::newRow("value cannot be read") << "SOFTWARE\\Quarvel\\Test"
                                              << "Value" << true << true;
    }

    void getKeyValueFailures() {
        QFETCH(QString, keyPath);
        QFETCH(QString, valueName);
        QFETCH(bool, failQueries);
        QFETCH(bool, opens);
        fakes->registry.set(QStringLiteral("SOFTWARE\\Quarvel\\Test"), QStringLiteral("Value"),
                            Registry::kTypeString, QByteArray("text\0", 5));
        fakes->registry.failQueries = failQueries;
        QString value = QStringLiteral("left from before");
        QVERIFY(!about->GetKeyValue(Registry::kLocalMachine, keyPath, valueName, value));
        QVERIFY(value.isEmpty());
        QCOMPARE(fakes->registry.accessMasks, std::vector<std::uint32_t>{0x2003F});
        // The handle is closed also when the key never opened (it is then 0).
        QCOMPARE(fakes->registry.closed,
                 std::vector<Registry::Key>{Registry::Key{opens ? 1u : 0u}});
    }

    void getKeyValueUnderAnotherRoot() {
        fakes->registry.set(kToolKey, QStringLiteral("PATH"), Registry::kTypeString,
                            QByteArray("x\0", 2));
        QString value = QStringLiteral("before");
        QVERIFY(!about->GetKeyValue(0x80000001, kToolKey, QStringLiteral("PATH"), value));
        QVERIFY(value.isEmpty());
    }

    // ---------------------------------------------------------------------------------
    // StartSysInfo.

    void startSysInfo_data() {
        QTest::addColumn<QString>("toolPath");   // first value; empty: absent
        QTest::addColumn<QString>("toolFolder"); // second value; "<temp>" is a temp folder
        QTest::addColumn<bool>("toolInFolder");  // MSINFO32.EXE in the temp folder
        QTest::addColumn<bool>("launcherStarts");
        QTest::addColumn<QString>("started"); // "" when nothing is started
        QTest::addColumn<bool>("message");

        QTest::newRow("first value, tool starts")
            << "/usr/bin/hardinfo"
            << "" << false << true << "/usr/bin/hardinfo" << false;
        QTest::newRow("first value, file missing: started anyway, then the message")
            << "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe"
            << "" << false << false
            << "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe" << true;
        QTest::newRow("first value wins over the second")
            << "/opt/info/tool"
            << "<temp>" << true << true << "/opt/info/tool" << false;
        QTest::newRow("only the second value, tool there")
            << ""
            << "<temp>" << true << true << "<temp>/MSINFO32.EXE" << false;
        QTest::newRow("only the second value, tool there but does not start")
            << ""
            << "<temp>" << true << false << "<temp>/MSINFO32.EXE" << true;
        QTest::newRow("only the second value, no tool in the folder")
            << ""
            << "<temp>" << false << true << "" << true;
        QTest::newRow("only the second value, a Windows folder")
            << ""
            << "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo" << false << true << ""
            << true;
        QTest::newRow("neither value") << ""
                                       << "" << false << true << "" << true;
    }

    void startSysInfo() {
        QFETCH(QString, toolPath);
        QFETCH(QString, toolFolder);
        QFETCH(bool, toolInFolder);
        QFETCH(bool, launcherStarts);
        QFETCH(QString, started);
        QFETCH(bool, message);
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        toolFolder.replace(QStringLiteral("<temp>"), temp.path());
        started.replace(QStringLiteral("<temp>"), temp.path());
        if (toolInFolder) {
            QFile tool(temp.filePath(QStringLiteral("MSINFO32.EXE")));
            QVERIFY(tool.open(QIODevice::WriteOnly));
        }
        if (!toolPath.isEmpty()) {
            fakes->registry.set(kToolKey, QStringLiteral("PATH"), Registry::kTypeString,
                                toolPath.toLocal8Bit() + '\0');
        }
        if (!toolFolder.isEmpty()) {
            fakes->registry.set(kFolderKey, QStringLiteral("MSINFO"), Registry::kTypeString,
                                toolFolder.toLocal8Bit() + '\0');
        }
        fakes->launcher.succeed = launcherStarts;

        about->StartSysInfo();

        if (started.isEmpty()) {
            QVERIFY(fakes->launcher.starts.empty());
        } else {
            QCOMPARE(fakes->launcher.starts.size(), std::size_t{1});
            QCOMPARE(fakes->launcher.starts.front().program, started);
        }
        if (message) {
            expectUnavailableMessage();
        } else {
            QVERIFY(fakes->dialogs.messages.empty());
        }
        // Every key opened was closed again, and the About box stays open.
        QCOMPARE(fakes->registry.closed.size(), fakes->registry.accessMasks.size());
        QVERIFY(about->isVisible());
    }

    void startSysInfoReadsTheFirstValueFirst() {
        about->StartSysInfo();
        QCOMPARE(fakes->registry.accessMasks.size(), std::size_t{2});
        QCOMPARE(fakes->registry.openedPaths.size(), std::size_t{0});
        fakes->registry.set(kToolKey, QStringLiteral("PATH"), Registry::kTypeString,
                            QByteArray("/x\0", 3));
        fakes->registry.set(kFolderKey, QStringLiteral("MSINFO"), Registry::kTypeString,
                            QByteArray("/y\0", 3));
        about->StartSysInfo();
        QCOMPARE(fakes->registry.openedPaths, std::vector<QString>{kToolKey});
    }
};

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
