#include "frmView.h"

#include "BackgroundWork.h"
#include "ChartFile.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QPointer>
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
                 BackgroundWork& work, QWidget* parent)
    : QWidget(parent), results_(results), heights_(heights), work_(work) {
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

    // Made larger, the window gives the picture the room (the chart is drawn again at the
    // new size on the same 2000 x 800 units); the buttons stay at the bottom right.
    setMinimumSize(size());
    auto* growing = new GrowingLayout(*this, size());
    growing->add(PicBox, GrowingLayout::Grow::Both);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdBasic, cmdDetail, cmdCancel}) {
        growing->add(control, GrowingLayout::Grow::BottomRight);
    }

    setTabOrder(PicBox, cmdBasic);
    setTabOrder(cmdBasic, cmdDetail);
    setTabOrder(cmdDetail, cmdCancel);

    connect(cmdBasic, &QPushButton::clicked, this, &frmView::cmdBasic_Click);
    connect(cmdDetail, &QPushButton::clicked, this, &frmView::cmdDetail_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmView::cmdCancel_Click);
    // While long work runs (the detailed drawing or another window's), the views wait.
    const auto workBusy = [this](bool busy) {
        cmdBasic->setEnabled(!busy);
        cmdDetail->setEnabled(!busy);
    };
    workBusy(work_.busy());
    connect(&work_, &BackgroundWork::busyChanged, this, workBusy);
    // Enter presses the default button and Escape the cancel button, wherever the focus is.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, cmdBasic, &QPushButton::click);
    }
    addEscapeShortcut(*this, cmdCancel);

    centreOnScreen(*this);
}

void frmView::cmdBasic_Click() {
    PicBox->setTablePath(QString::fromStdString(results_.TablePath));
    fields_ = DrawBasicView(PicBox->displayList(), results_);
    PicBox->pictureChanged();
}

void frmView::cmdDetail_Click() {
    if (work_.busy()) {
        return; // the buttons are disabled meanwhile; a queued click changes nothing
    }
    PicBox->setTablePath(QString::fromStdString(results_.TablePath));
    // Every value's circle is drawn and painted on the worker. The results and the heights
    // stay as they are meanwhile: no other work runs, and only work changes them.
    const AnalysisResults* results = &results_;
    UniformSequence* heights = &heights_;
    const QSize size = PicBox->contentsRect().size();
    const QFont font = PicBox->font();
    struct Drawn {
        DisplayList drawing;
        QImage painted;
    };
    const QPointer<frmView> self(this);
    work_.start<Drawn>(
        [results, heights, size, font](Progress& progress) {
            Drawn drawn;
            drawn.drawing = DrawChart(*results, ChartView::Detailed, *heights);
            progress.fraction(0.5);
            drawn.painted = RenderDrawing(drawn.drawing, size, font);
            progress.fraction(1);
            return drawn;
        },
        [self](Drawn& drawn) {
            if (self != nullptr) {
                self->PicBox->setDrawing(std::move(drawn.drawing), std::move(drawn.painted));
            }
        });
    fields_ = HorizontalScale(results_.SortedValues.empty() ? 0 : results_.SortedValues.front(),
                              results_.SortedValues.empty() ? 0 : results_.SortedValues.back(),
                              results_.LowerOuterFence, results_.UpperOuterFence);
}

void frmView::cmdCancel_Click() {
    // Unloads the window: the next "Quarvel" command opens a fresh, blank one.
    close();
}

} // namespace quarvel
