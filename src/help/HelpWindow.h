#pragma once

#include "ChmArchive.h"

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quarvel {

/** A text browser whose pages, pictures and style sheets come out of a compiled help file. */
class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    HelpBrowser(const ChmArchive& archive, QWidget* parent = nullptr);

    /** The address of a page of the help file ("doit.html#rule" -> "chm:///doit.html#rule"). */
    static QUrl pageUrl(const QString& local);
    /** The path inside the help file that an address names, without its anchor. */
    static QString pagePath(const QUrl& url);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    const ChmArchive& archive_;
};

/**
 * The program's own help viewer: the contents of the help file on the left, the page on
 * the right, and Back, Forward and Home above them. Links and pictures in the pages work
 * as in any browser; choosing a line of the contents shows its page.
 */
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    /** Opens the help file and shows its start page; false when it cannot be read. */
    bool openFile(const QString& fileName);

    /** Shows a page given by its path inside the help file, with an optional anchor. */
    void showPage(const QString& local);
    /** The path inside the help file of the page shown, without its anchor. */
    QString currentPage() const;

    const ChmArchive& archive() const { return archive_; }

    QToolButton* cmdBack;
    QToolButton* cmdForward;
    QToolButton* cmdHome;
    QTreeWidget* contents;
    HelpBrowser* browser;

private:
    void fillContents();
    void contents_CurrentItemChanged(QTreeWidgetItem* item);
    void browser_SourceChanged(const QUrl& url);
    void cmdHome_Click();

    ChmArchive archive_;
};

} // namespace quarvel
