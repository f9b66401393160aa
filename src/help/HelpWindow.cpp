#include "HelpWindow.h"

#include "WindowSetup.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <vector>

namespace quarvel {
namespace {

const QString kScheme = QStringLiteral("chm");

// Contents lines remember the page they open under this role.
constexpr int kPageRole = Qt::UserRole;

QToolButton* toolButton(QWidget* parent, const char* name, const QString& caption,
                        QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

} // namespace

HelpBrowser::HelpBrowser(const ChmArchive& archive, QWidget* parent)
    : QTextBrowser(parent), archive_(archive) {
    setObjectName(QStringLiteral("browser"));
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QUrl HelpBrowser::pageUrl(const QString& local) {
    const qsizetype hash = local.indexOf(QLatin1Char('#'));
    QString path = hash < 0 ? local : local.left(hash);
    if (!path.startsWith(QLatin1Char('/'))) {
        path.prepend(QLatin1Char('/'));
    }
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(path);
    if (hash >= 0) {
        url.setFragment(local.mid(hash + 1));
    }
    return url;
}

QString HelpBrowser::pagePath(const QUrl& url) {
    QString path = url.path(QUrl::FullyDecoded);
    while (path.startsWith(QLatin1Char('/'))) {
        path.remove(0, 1);
    }
    return path;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != kScheme) {
        return QTextBrowser::loadResource(type, name);
    }
    const QByteArray bytes = archive_.read(pagePath(url));
    if (bytes.isEmpty()) {
        return {};
    }
    switch (type) {
    case QTextDocument::ImageResource:
        return QImage::fromData(bytes);
    case QTextDocument::StyleSheetResource:
        return QString::fromUtf8(bytes);
    default:
        return bytes; // the browser reads the page's own character set from its head
    }
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quarvel Help"));
    resize(880, 600);

    cmdBack = toolButton(this, "cmdBack", QStringLiteral("&Back"), QStyle::SP_ArrowBack);
    cmdForward =
        toolButton(this, "cmdForward", QStringLiteral("&Forward"), QStyle::SP_ArrowForward);
    cmdHome = toolButton(this, "cmdHome", QStringLiteral("&Home"), QStyle::SP_DirHomeIcon);
    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);

    contents = new QTreeWidget(this);
    contents->setObjectName(QStringLiteral("contents"));
    contents->setHeaderHidden(true);
    contents->setColumnCount(1);
    contents->setRootIsDecorated(true);

    browser = new HelpBrowser(archive_, this);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(contents);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 630});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addWidget(cmdHome);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(cmdBack, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(cmdForward, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(cmdHome, &QToolButton::clicked, this, &HelpWindow::cmdHome_Click);
    connect(browser, &QTextBrowser::backwardAvailable, cmdBack, &QToolButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, cmdForward, &QToolButton::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::browser_SourceChanged);
    connect(contents, &QTreeWidget::currentItemChanged, this,
            &HelpWindow::contents_CurrentItemChanged);
}

bool HelpWindow::openFile(const QString& fileName) {
    if (!archive_.open(fileName)) {
        return false;
    }
    if (!archive_.title().isEmpty()) {
        setWindowTitle(archive_.title());
    }
    fillContents();
    browser->clearHistory();
    showPage(archive_.startPage());
    centreOnScreen(*this);
    return true;
}

void HelpWindow::fillContents() {
    const QSignalBlocker quiet(contents);
    contents->clear();
    // The last item made at each depth: a deeper line hangs under the one above it.
    std::vector<QTreeWidgetItem*> parents;
    for (const ContentsEntry& entry : archive_.contents()) {
        const auto depth = static_cast<std::size_t>(entry.depth);
        parents.resize(std::min(parents.size(), depth));
        QTreeWidgetItem* item =
            parents.empty() ? new QTreeWidgetItem(contents) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.name);
        item->setData(0, kPageRole, entry.local);
        parents.push_back(item);
    }
    contents->expandAll();
}

void HelpWindow::showPage(const QString& local) {
    browser->setSource(HelpBrowser::pageUrl(local));
}

QString HelpWindow::currentPage() const {
    return HelpBrowser::pagePath(browser->source());
}

void HelpWindow::cmdHome_Click() {
    showPage(archive_.startPage());
}

void HelpWindow::contents_CurrentItemChanged(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const QString local = item->data(0, kPageRole).toString();
    if (!local.isEmpty()) {
        showPage(local);
    }
}

void HelpWindow::browser_SourceChanged(const QUrl& url) {
    // The contents follow the page, whichever way it was reached: the line naming the page
    // and anchor exactly if there is one, else the first line naming the page.
    const QString page = HelpBrowser::pagePath(url);
    const QString withAnchor =
        url.hasFragment() ? page + QLatin1Char('#') + url.fragment(QUrl::FullyDecoded) : page;
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(contents); *it != nullptr; ++it) {
        const QString local = (*it)->data(0, kPageRole).toString();
        if (local.compare(withAnchor, Qt::CaseInsensitive) == 0) {
            best = *it;
            break;
        }
        if (best == nullptr &&
            local.section(QLatin1Char('#'), 0, 0).compare(page, Qt::CaseInsensitive) == 0) {
            best = *it;
        }
    }
    const QSignalBlocker quiet(contents);
    contents->setCurrentItem(best);
}

} // namespace quarvel
