#include "ChmArchive.h"
#include "HelpWindow.h"

#include <QFile>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace quarvel;

namespace {

const QString kHelpFile = QStringLiteral(QUARVEL_TEST_HELP_FILE);

QString headingOf(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 1) {
            return block.text().trimmed();
        }
    }
    return {};
}

// Every link of the page on show, as written in it.
QStringList linksOf(const QTextDocument& document) {
    QStringList links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty() &&
                !links.contains(format.anchorHref())) {
                links << format.anchorHref();
            }
        }
    }
    return links;
}

QSet<QString> anchorNamesOf(const QTextDocument& document) {
    QSet<QString> names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            for (const QString& name : fragment.fragment().charFormat().anchorNames()) {
                names.insert(name);
            }
        }
    }
    return names;
}

QStringList imagesOf(const QTextDocument& document) {
    QStringList images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat()) {
                images << format.toImageFormat().name();
            }
        }
    }
    return images;
}

QString sitemapLine(const QString& name, const QString& local) {
    return QStringLiteral("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"%1\">"
                          "<param name=\"Local\" value=\"%2\"></OBJECT>\n")
        .arg(name, local);
}

} // namespace

class tst_HelpWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<HelpWindow> window;

    QTreeWidgetItem* contentsLine(const QString& name) const {
        const QList<QTreeWidgetItem*> found =
            window->contents->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.front() : nullptr;
    }

private slots:
    void init() {
        window = std::make_unique<HelpWindow>();
        QVERIFY(window->openFile(kHelpFile));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() { window.reset(); }

    void opensOnTheStartPage() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quarvel Help"));
        QCOMPARE(window->currentPage(), QStringLiteral("index.html"));
        QCOMPARE(headingOf(*window->browser->document()), QStringLiteral("Quarvel Help"));
        QCOMPARE(window->contents->currentItem(), contentsLine(QStringLiteral("Quarvel Help")));
        QVERIFY(!window->cmdBack->isEnabled());
        QVERIFY(!window->cmdForward->isEnabled());
    }

    void contentsList() {
        const QStringList topLevel = {QStringLiteral("Quarvel Help"),
                                      QStringLiteral("Opening a table"),
                                      QStringLiteral("Choosing the field"),
                                      QStringLiteral("What Do It does"),
                                      QStringLiteral("The quartile rule"),
                                      QStringLiteral("Reading the result message"),
                                      QStringLiteral("The chart: basic and detailed views"),
                                      QStringLiteral("The map: where the outliers lie"),
                                      QStringLiteral("The join file"),
                                      QStringLiteral("The files Quarvel writes"),
                                      QStringLiteral("Messages and what they mean"),
                                      QStringLiteral("The command line (batch work)")};
        QStringList shown;
        for (int i = 0; i < window->contents->topLevelItemCount(); ++i) {
            shown << window->contents->topLevelItem(i)->text(0);
        }
        QCOMPARE(shown, topLevel);
        QTreeWidgetItem* join = contentsLine(QStringLiteral("The join file"));
        QVERIFY(join != nullptr);
        QCOMPARE(join->childCount(), 2);
        QCOMPARE(join->child(0)->text(0), QStringLiteral("Structure of the join file"));
        QCOMPARE(join->child(1)->text(0), QStringLiteral("Joining it in a GIS"));
        QVERIFY(join->isExpanded());
    }

    void choosingAContentsLineShowsItsPage_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        QTest::newRow("opening") << "Opening a table"
                                 << "open.html"
                                 << "Opening a table";
        QTest::newRow("quartile rule") << "The quartile rule"
                                       << "quartiles.html"
                                       << "The quartile rule";
        QTest::newRow("nested line with an anchor") << "Structure of the join file"
                                                    << "join.html"
                                                    << "The join file";
        QTest::newRow("messages") << "Messages and what they mean"
                                  << "messages.html"
                                  << "Messages and what they mean";
    }

    void choosingAContentsLineShowsItsPage() {
        QFETCH(QString, line);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        QTreeWidgetItem* item = contentsLine(line);
        QVERIFY(item != nullptr);
        window->contents->setCurrentItem(item);
        QCOMPARE(window->currentPage(), page);
        QCOMPARE(headingOf(*window->browser->document()), heading);
        QCOMPARE(window->contents->currentItem(), item);
        QVERIFY(window->cmdBack->isEnabled());
    }

    void clickingALinkFollowsIt() {
        // "Open a table" on the start page.
        QTextDocument* document = window->browser->document();
        const QTextCursor link = document->find(QStringLiteral("Open a table"));
        QVERIFY(!link.isNull());
        QTextCursor inside(document);
        inside.setPosition(link.selectionStart() + 2);
        const QPoint at = window->browser->cursorRect(inside).center();
        QTest::mouseClick(window->browser->viewport(), Qt::LeftButton, Qt::NoModifier, at);

        QCOMPARE(window->currentPage(), QStringLiteral("open.html"));
        QCOMPARE(headingOf(*window->browser->document()), QStringLiteral("Opening a table"));
        // The contents follow the page.
        QCOMPARE(window->contents->currentItem()->text(0), QStringLiteral("Opening a table"));

        QVERIFY(window->cmdBack->isEnabled());
        QTest::mouseClick(window->cmdBack, Qt::LeftButton);
        QCOMPARE(window->currentPage(), QStringLiteral("index.html"));
        QVERIFY(window->cmdForward->isEnabled());
        QTest::mouseClick(window->cmdForward, Qt::LeftButton);
        QCOMPARE(window->currentPage(), QStringLiteral("open.html"));
        QTest::mouseClick(window->cmdHome, Qt::LeftButton);
        QCOMPARE(window->currentPage(), QStringLiteral("index.html"));
    }

    void stylesAndPicturesAreLoaded() {
        window->showPage(QStringLiteral("views.html#basic"));
        QTextDocument* document = window->browser->document();
        // The page's style sheet colours its title.
        const QTextBlock title = document->begin();
        QCOMPARE(title.blockFormat().headingLevel(), 1);
        QCOMPARE(title.charFormat().foreground().color(), QColor(0x1c, 0x3c, 0x78));

        const QStringList images = imagesOf(*document);
        QCOMPARE(images, (QStringList{QStringLiteral("images/basic-view.png"),
                                      QStringLiteral("images/detailed-view.png")}));
        // The picture is on screen: the chart's blue box shows in the browser.
        window->resize(900, 700);
        window->showPage(QStringLiteral("views.html#basic"));
        QCoreApplication::processEvents();
        const QImage shown = window->browser->viewport()->grab().toImage();
        int blue = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                blue += shown.pixelColor(x, y) == QColor(0, 0, 255) ? 1 : 0;
            }
        }
        QVERIFY2(blue > 1000, qPrintable(QString::number(blue)));
    }

    // Every page the contents name exists, and every link and picture in every page leads
    // somewhere: to a page of the help file, and to an anchor that page defines.
    void nothingIsBroken() {
        QSet<QString> pages;
        for (const ContentsEntry& entry : window->archive().contents()) {
            const QString page = entry.local.section(QLatin1Char('#'), 0, 0);
            QVERIFY2(window->archive().contains(page), qPrintable(entry.local));
            pages.insert(page);
        }
        QCOMPARE(pages.size(), 12);
        for (const QString& page : pages) {
            window->showPage(page);
            QTextDocument* document = window->browser->document();
            for (const QString& image : imagesOf(*document)) {
                QVERIFY2(!QImage::fromData(window->archive().read(image)).isNull(),
                         qPrintable(page + QStringLiteral(": ") + image));
            }
            for (const QString& href : linksOf(*document)) {
                const QString target = href.section(QLatin1Char('#'), 0, 0);
                const QString anchor = href.section(QLatin1Char('#'), 1);
                const QString targetPage = target.isEmpty() ? page : target;
                QVERIFY2(window->archive().contains(targetPage),
                         qPrintable(page + QStringLiteral(": ") + href));
                if (!anchor.isEmpty()) {
                    QTextDocument other;
                    other.setHtml(QString::fromUtf8(window->archive().read(targetPage)));
                    QVERIFY2(anchorNamesOf(other).contains(anchor),
                             qPrintable(page + QStringLiteral(": ") + href));
                }
            }
        }
    }

    void anAnchorScrollsToItsSection() {
        window->resize(700, 400);
        window->showPage(QStringLiteral("join.html"));
        QCOMPARE(window->browser->verticalScrollBar()->value(), 0);
        window->showPage(QStringLiteral("join.html#gis"));
        QVERIFY(window->browser->verticalScrollBar()->value() > 0);
        QCOMPARE(window->contents->currentItem()->text(0), QStringLiteral("Joining it in a GIS"));
    }

    void filesThatAreNotHelp_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("text") << QByteArray("Quarvel help\r\n");
        QTest::newRow("header only") << QByteArray("ITSF\x03\x00\x00\x00\x60\x00\x00\x00", 12);
    }

    void filesThatAreNotHelp() {
        QFETCH(QByteArray, content);
        QTemporaryDir folder;
        const QString name = folder.filePath(QStringLiteral("Quarvel.chm"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ChmArchive archive;
        QVERIFY(!archive.open(name));
        QVERIFY(!archive.isOpen());
        HelpWindow other;
        QVERIFY(!other.openFile(name));
    }

    void missingFile() {
        ChmArchive archive;
        QVERIFY(!archive.open(QStringLiteral("/nonexistent/Quarvel.chm")));
        QVERIFY(archive.read(QStringLiteral("index.html")).isEmpty());
    }

    void archiveReadsObjects() {
        ChmArchive archive;
        QVERIFY(archive.open(kHelpFile));
        QCOMPARE(archive.title(), QStringLiteral("Quarvel Help"));
        QCOMPARE(archive.startPage(), QStringLiteral("index.html"));
        QVERIFY(archive.read(QStringLiteral("/index.html")).startsWith("<!DOCTYPE"));
        QCOMPARE(archive.read(QStringLiteral("index.html")),
                 archive.read(QStringLiteral("/index.html")));
        QCOMPARE(QImage::fromData(archive.read(QStringLiteral("images/ranks.png"))).size(),
                 QSize(560, 175));
        QVERIFY(archive.read(QStringLiteral("nothing.html")).isEmpty());
        QVERIFY(!archive.contains(QStringLiteral("nothing.html")));
    }

    void parseContents_data() {
        QTest::addColumn<QByteArray>("sitemap");
        QTest::addColumn<QStringList>("expected"); // depth:name=local

        QTest::newRow("flat") << (QStringLiteral("<HTML><BODY><UL>\n") +
                                  sitemapLine(QStringLiteral("One"), QStringLiteral("a.html")) +
                                  sitemapLine(QStringLiteral("Two"), QStringLiteral("b.html#x")) +
                                  QStringLiteral("</UL></BODY></HTML>"))
                                     .toUtf8()
                              << QStringList{"0:One=a.html", "0:Two=b.html#x"};
        QTest::newRow("nested") << (QStringLiteral("<UL>") +
                                    sitemapLine(QStringLiteral("Top"), QStringLiteral("t.html")) +
                                    QStringLiteral("<UL>") +
                                    sitemapLine(QStringLiteral("Inner"), QStringLiteral("i.html")) +
                                    QStringLiteral("<UL>") +
                                    sitemapLine(QStringLiteral("Deep"), QStringLiteral("d.html")) +
                                    QStringLiteral("</UL></UL>") +
                                    sitemapLine(QStringLiteral("Back"), QStringLiteral("b.html")) +
                                    QStringLiteral("</UL>"))
                                       .toUtf8()
                                << QStringList{"0:Top=t.html", "1:Inner=i.html", "2:Deep=d.html",
                                               "0:Back=b.html"};
        QTest::newRow("lower case, single quotes, entities")
            << QByteArray("<ul><li><object type='text/sitemap'><param name='name' "
                          "value='Rank &amp; Note'><param name='local' value='join.html'>"
                          "</object></ul>")
            << QStringList{"0:Rank & Note=join.html"};
        QTest::newRow("site properties and a line without a page")
            << QByteArray("<OBJECT type=\"text/site properties\"><param name=\"Name\" "
                          "value=\"ignored\"></OBJECT><UL><LI><OBJECT type=\"text/sitemap\">"
                          "<param name=\"Name\" value=\"Heading\"></OBJECT></UL>")
            << QStringList{"0:Heading="};
        QTest::newRow("nothing") << QByteArray("<html></html>") << QStringList{};
    }

    void parseContents() {
        QFETCH(QByteArray, sitemap);
        QFETCH(QStringList, expected);
        QStringList parsed;
        for (const ContentsEntry& entry : ChmArchive::parseContents(sitemap)) {
            parsed << QStringLiteral("%1:%2=%3").arg(entry.depth).arg(entry.name, entry.local);
        }
        QCOMPARE(parsed, expected);
    }
};

QTEST_MAIN(tst_HelpWindow)
#include "tst_HelpWindow.moc"
