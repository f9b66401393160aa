#include "frmSplash.h"

#include "Artwork.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>

namespace quarvel {
namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& rect, double pointSize, bool bold,
                  bool italic) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
    // The labels have no click behaviour: a click on one must not reach Frame1.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

// Labels that size themselves to their text keep their left edge, or their right edge when
// right-aligned; a text wider than leftLimit allows wraps onto a second line.
void sizeToText(QLabel* label, int leftLimit) {
    const QRect designed = label->geometry();
    const bool rightAligned = label->alignment().testFlag(Qt::AlignRight);
    const int right = designed.left() + designed.width();
    const int room =
        rightAligned ? right - leftLimit : label->parentWidget()->width() - designed.left();
    QSize size = label->sizeHint();
    if (size.width() > room) {
        label->setWordWrap(true);
        size = QSize(room, label->heightForWidth(room));
    }
    const int left = rightAligned ? right - size.width() : designed.left();
    label->setGeometry(left, designed.top(), size.width(), size.height());
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    // Never shown (there is no title bar), but it tells the window apart from the main one.
    setWindowTitle(QStringLiteral("Quarvel starting"));
    setFixedSize(twipsRect(0, 0, 9405, 4200).size());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setGeometry(twipsRect(30, 60, 9345, 4050));
    Frame1->installEventFilter(this);

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(twipsRect(240, 480, 3330, 3330));
    imgLogo->setAttribute(Qt::WA_NoMousePropagation);

    lblCompanyProduct =
        makeLabel(Frame1, "lblCompanyProduct", twipsRect(3000, 600, 3000, 435), 18, true, false);
    lblProductName =
        makeLabel(Frame1, "lblProductName", twipsRect(3000, 960, 2430, 765), 32.25, true, false);
    QPalette blue = lblProductName->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblProductName->setPalette(blue);
    lblPlatform =
        makeLabel(Frame1, "lblPlatform", twipsRect(8280, 2400, 825, 255), 11.25, false, true);
    lblPlatform->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblVersion = makeLabel(Frame1, "lblVersion", twipsRect(8280, 2700, 885, 285), 12, true, false);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblCopyright =
        makeLabel(Frame1, "lblCopyright", twipsRect(4560, 3060, 2415, 255), 8.25, false, false);

    Form_Load();
}

QString frmSplash::companyName() {
    return QStringLiteral("The Quarvel Project");
}

QString frmSplash::fileDescription() {
    return QStringLiteral("Quarvel software utility for Windows NT, 95, 98, and 2000.");
}

QString frmSplash::legalNotice() {
    return QStringLiteral("\u00a9 2026 The Quarvel Project");
}

void frmSplash::Form_Load() {
    imgLogo->setPixmap(drawLogo(imgLogo->width()));
    lblVersion->setText(versionText());
    lblProductName->setText(QStringLiteral("Quarvel"));
    lblCompanyProduct->setText(companyName());
    lblPlatform->setText(fileDescription());
    lblCopyright->setText(legalNotice());

    // The logo's tile ends where the titles begin.
    const int besideLogo = lblProductName->x();
    for (QLabel* label :
         {lblCompanyProduct, lblProductName, lblPlatform, lblVersion, lblCopyright}) {
        sizeToText(label, besideLogo);
    }

    centreOnScreen(*this);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Any key that yields a character closes the splash; arrows and function keys do not.
    if (!event->text().isEmpty()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::Frame1_Click() {
    close();
}

} // namespace quarvel
