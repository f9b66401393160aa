#include "frmAbout.h"

#include "Twips.h"
#include "WindowSetup.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quarvel {
namespace {

const QString kApplicationTitle = QStringLiteral("Quarvel");

// Where the System Information tool is recorded, under the local-machine root.
const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kToolValue = QStringLiteral("PATH");
const QString kToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kToolFolderValue = QStringLiteral("MSINFO");
const QString kToolFile = QStringLiteral("MSINFO32.EXE");

QFrame* lineOf(QWidget* parent, const QRect& rect, const QColor& colour) {
    auto* line = placed<QFrame>(parent, "Line1", rect);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

// The program's icon when the application has none of its own: a small box-and-whisker
// drawing, a box with its median, whiskers ending in bars and two loose points.
QPixmap drawIcon() {
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setPen(QColor(0, 0, 0));
    painter.drawLine(3, 16, 28, 16);
    painter.drawLine(3, 11, 3, 21);
    painter.drawLine(28, 11, 28, 21);
    painter.fillRect(QRect(10, 9, 12, 15), QColor(0, 0, 255));
    painter.drawRect(QRect(10, 9, 11, 14));
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(15, 10, 15, 22);
    painter.setPen(QColor(255, 0, 0));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawRect(QRect(0, 27, 2, 2));
    painter.drawRect(QRect(29, 4, 2, 2));
    return icon;
}

// A 32-bit number is stored least significant byte first; its text shows it the usual
// way round.
QString hexText(const QByteArray& bytes) {
    QString digits = QStringLiteral("&h");
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        digits += QStringLiteral("%1")
                      .arg(static_cast<unsigned char>(bytes[i]), 2, 16, QLatin1Char('0'))
                      .toUpper();
    }
    return digits;
}

} // namespace

QSize frmAbout::clientSize() {
    return twipsRect(0, 0, 5730, 3555).size();
}

QString frmAbout::descriptionText() {
    return QStringLiteral("This utility was designed and written for The Quarvel Project by "
                          "its spatial statistics lead.  It was developed to assist ArcView "
                          "users in data visualization by providing a means to view their data "
                          "based on the Median (a resilient statistic) of a numeric attribute.");
}

frmAbout::frmAbout(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform) {
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(clientSize());
    setFont(dialogFont());

    picIcon = placed<QLabel>(this, "picIcon", twipsRect(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignCenter);

    lblTitle = placed<QLabel>(this, "lblTitle", twipsRect(1050, 240, 4440, 480));
    QFont titleFont = dialogFont();
    titleFont.setPointSizeF(13.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = placed<QLabel>(this, "lblVersion", twipsRect(1050, 780, 4440, 255));

    lblDescription = placed<QLabel>(this, "lblDescription", twipsRect(1050, 1125, 4440, 1170));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The etched line: a grey line with a white one just below it.
    Line1[0] = lineOf(this, twipsRect(105, 2325, 5520, 15), QColor(128, 128, 128));
    Line1[1] = lineOf(this, twipsRect(105, 2340, 5520, 15), QColor(255, 255, 255));

    lblDisclaimer = placed<QLabel>(this, "lblDisclaimer", twipsRect(255, 2625, 3870, 255));

    cmdOK = placed<QPushButton>(this, "cmdOK", twipsRect(4245, 2625, 1260, 345));
    cmdOK->setText(QStringLiteral("OK"));
    cmdSysInfo = placed<QPushButton>(this, "cmdSysInfo", twipsRect(4245, 3075, 1260, 345));
    cmdSysInfo->setText(QStringLiteral("&System Info..."));
    // Enter presses the button that has the focus, and OK when none has; Escape presses OK.
    cmdOK->setAutoDefault(true);
    cmdOK->setDefault(true);
    cmdSysInfo->setAutoDefault(true);
    addEscapeShortcut(*this, cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    setTabOrder(cmdOK, cmdSysInfo);

    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + kApplicationTitle);
    const QIcon applicationIcon = QApplication::windowIcon();
    const QPixmap icon =
        applicationIcon.isNull() ? drawIcon() : applicationIcon.pixmap(QSize(32, 32));
    picIcon->setPixmap(icon);
    setWindowIcon(QIcon(icon));
    lblTitle->setText(kApplicationTitle);
    lblVersion->setText(versionText());
    lblDescription->setText(descriptionText());
    lblDisclaimer->setText(QStringLiteral("Warning: Beta version."));

    centreOnScreen(*this);
    cmdOK->setFocus();
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        cmdOK->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    QString toolPath;
    if (GetKeyValue(Registry::kLocalMachine, kToolKey, kToolValue, toolPath)) {
        // The recorded path is started as it stands, without looking for the file first.
    } else if (GetKeyValue(Registry::kLocalMachine, kToolFolderKey, kToolFolderValue, toolPath)) {
        // The folder is written with Windows' separator; a folder given with the other
        // one keeps it, so that the file is looked for where the value says.
        const QChar separator =
            toolPath.contains(QLatin1Char('/')) && !toolPath.contains(QLatin1Char('\\'))
                ? QLatin1Char('/')
                : QLatin1Char('\\');
        const QString candidate = toolPath + separator + kToolFile;
        if (!QFileInfo::exists(candidate)) {
            toolPath.clear();
        } else {
            toolPath = candidate;
        }
    } else {
        toolPath.clear();
    }

    if (toolPath.isEmpty() || !platform_.launcher.start(toolPath, QStringList())) {
        platform_.dialogs.message(this,
                                  QStringLiteral("System Information Is Unavailable At This Time"),
                                  kApplicationTitle, MessageButtons::Ok, MessageIcon::None);
    }
}

bool frmAbout::GetKeyValue(Registry::Key root, const QString& keyPath, const QString& valueName,
                           QString& value) {
    Registry& registry = platform_.registry;
    Registry::Key key = 0;
    bool found = false;
    std::uint32_t type = 0;
    QByteArray bytes;
    if (!registry.openKey(root, keyPath, kKeyAccess, key)) {
        value.clear();
    } else if (!registry.queryValue(key, valueName, type, bytes, kValueBufferSize)) {
        value.clear();
    } else {
        bytes.truncate(kValueBufferSize);
        if (bytes.endsWith('\0')) {
            bytes.chop(1); // strings are stored with their terminating NUL
        }
        switch (type) {
        case Registry::kTypeString:
            value = QString::fromLocal8Bit(bytes);
            break;
        case Registry::kTypeDword:
            value = hexText(bytes);
            break;
        default:
            break; // no caller reads other types: the text is left as it was passed
        }
        found = true;
    }
    // The handle is given back also when the key never opened.
    registry.closeKey(key);
    return found;
}

} // namespace quarvel
