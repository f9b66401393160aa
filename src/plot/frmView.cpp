#include "frmView.h"

#include "Twips.h"
#include "WindowSetup.h"

#include <QPushButton>
#include <QShortcut>

namespace quarvel {
namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& at) {
    auto* b = placed<QPushButton>(parent, name, at);
    b->setText(caption);
    return b;
}

} // namespace

frmView::frmView(const AnalysisResults& results, UniformSequence& heights, Dialogs& dialogs,
                 QWidget* parent)
    : QWidget(parent), results_(results), heights_(heights) {
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("View Plot"));
    resize(twipsRect(0, 0, 7770, 5850).size());

    PicBox = new PlotPicture(dialogs, this);
    PicBox->setObjectName(QStringLiteral("PicBox"));
    PicBox->setGeometry(twipsRect(120, 120, 7575, 5175));

    cmdBasic =
        button(this, "cmdBasic", QStringLiteral("&Basic View"), twipsRect(2280, 5400, 1695, 375));
    cmdBasic->setDefault(true);
    cmdDetail = button(this, "cmdDetail", QStringLiteral("&Detailed View"),
                       twipsRect(4080, 5400, 1695, 375));
    cmdCancel =
        button(this, "cmdCancel", QStringLiteral("&Cancel"), twipsRect(5880, 5400, 1815, 375));

    setTabOrder(PicBox, cmdBasic);
    setTabOrder(cmdBasic, cmdDetail);
    setTabOrder(cmdDetail, cmdCancel);

    connect(cmdBasic, &QPushButton::clicked, this, &frmView::cmdBasic_Click);
    connect(cmdDetail, &QPushButton::clicked, this, &frmView::cmdDetail_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmView::cmdCancel_Click);
    // Enter presses the default button and Escape the cancel button, wherever the focus is.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, cmdBasic, &QPushButton::click);
    }
    addEscapeShortcut(*this, cmdCancel);

    centreOnScreen(*this);
}

void frmView::cmdBasic_Click() {
    fields_ = DrawBasicView(PicBox->displayList(), results_);
    PicBox->pictureChanged();
}

void frmView::cmdDetail_Click() {
    DisplayList& list = PicBox->displayList();
    list.clear();
    DrawDetailedView(list, results_, heights_);
    fields_ = HorizontalScale(results_.SortedValues.empty() ? 0 : results_.SortedValues.front(),
                              results_.SortedValues.empty() ? 0 : results_.SortedValues.back(),
                              results_.LowerOuterFence, results_.UpperOuterFence);
    PicBox->pictureChanged();
}

void frmView::cmdCancel_Click() {
    // Unloads the window: the next "Quarvel" command opens a fresh, blank one.
    close();
}

} // namespace quarvel
