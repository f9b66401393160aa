#include "frmView.h"

#include "BackgroundWork.h"
#include "ChartFile.h"
#include "FieldValues.h"
#include "LocaleNumbers.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

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

    PicBox->setHoverText([this](double x, double y, double ry, double tolerance) {
        return hoverText(x, y, ry, tolerance);
    });

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
    drawnDigest_ = results_.ValuesDigest;
    recordsInOrder_.clear();
    PicBox->setTablePath(QString::fromStdString(results_.TablePath));
    fields_ = DrawBasicView(PicBox->displayList(), results_);
    PicBox->pictureChanged();
}

void frmView::cmdDetail_Click() {
    if (work_.busy()) {
        return; // the buttons are disabled meanwhile; a queued click changes nothing
    }
    PicBox->setTablePath(QString::fromStdString(results_.TablePath));
    drawnDigest_ = results_.ValuesDigest;
    recordsInOrder_.clear();
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

int frmView::recordOf(std::size_t sortedIndex) {
    if (recordsInOrder_.empty() && tableSource_) {
        // The table's values in table order, each given the place of its value among the
        // sorted ones (equal values in table order): made once per drawing, on demand.
        const std::shared_ptr<const DbfTable> table = tableSource_();
        if (table == nullptr ||
            QFileInfo(table->path()).absoluteFilePath().toStdString() != results_.TablePath) {
            return -1;
        }
        const int field = FieldIndex(*table, QString::fromStdString(results_.FieldName));
        const FieldValues read = field >= 0 ? ReadFieldValues(*table, field) : FieldValues{};
        const std::vector<double>& sorted = results_.SortedValues;
        if (read.problem || read.values.size() != sorted.size()) {
            return -1;
        }
        recordsInOrder_.assign(sorted.size(), 0);
        std::vector<std::uint32_t> taken(sorted.size(), 0);
        for (std::size_t record = 0; record < read.values.size(); ++record) {
            const auto first = static_cast<std::size_t>(
                std::lower_bound(sorted.begin(), sorted.end(), read.values[record]) -
                sorted.begin());
            if (first >= sorted.size()) {
                recordsInOrder_.clear();
                return -1;
            }
            recordsInOrder_[first + taken[first]++] = static_cast<std::uint32_t>(record);
        }
    }
    return sortedIndex < recordsInOrder_.size() ? static_cast<int>(recordsInOrder_[sortedIndex]) + 1
                                                : -1;
}

QString frmView::hoverText(double x, double y, double ry, double tolerance) {
    // Only for the drawing of the results as they are now.
    if (PicBox->displayList().empty() || results_.ValuesDigest != drawnDigest_) {
        return {};
    }
    const std::optional<ChartTarget> target =
        ChartTargetAt(PicBox->displayList(), results_, x, y, ry, tolerance);
    if (!target) {
        return {};
    }
    const auto number = [](double v) { return MessageNumberText(v); };
    const AnalysisResults& r = results_;
    switch (target->kind) {
    case ChartTarget::Kind::Value: {
        const double v = r.SortedValues[target->index];
        const Rgb color = FenceClassColor(v, r);
        const QString where = color == kFenceRed ? QStringLiteral("beyond an outer fence")
                              : color == kFencePink
                                  ? QStringLiteral("between the inner and outer fences")
                                  : QStringLiteral("within the inner fences");
        const int record = recordOf(target->index);
        return record > 0
                   ? QStringLiteral("Value %1, record %2, %3").arg(number(v)).arg(record).arg(where)
                   : QStringLiteral("Value %1, %2").arg(number(v), where);
    }
    case ChartTarget::Kind::LowestValue:
        return QStringLiteral("Lowest value = ") + number(r.SortedValues.front());
    case ChartTarget::Kind::HighestValue:
        return QStringLiteral("Highest value = ") +
               number(r.SortedValues[static_cast<std::size_t>(r.ValueCount) - 1]);
    case ChartTarget::Kind::FirstQuartile:
        return QStringLiteral("First quartile = ") + number(r.FirstQuartile);
    case ChartTarget::Kind::Median:
        return QStringLiteral("Median = ") + number(r.Median);
    case ChartTarget::Kind::ThirdQuartile:
        return QStringLiteral("Third quartile = ") + number(r.ThirdQuartile);
    case ChartTarget::Kind::LowerInnerFence:
        return QStringLiteral("Lower inner fence = ") + number(r.LowerInnerFence);
    case ChartTarget::Kind::UpperInnerFence:
        return QStringLiteral("Upper inner fence = ") + number(r.UpperInnerFence);
    case ChartTarget::Kind::LowerOuterFence:
        return QStringLiteral("Lower outer fence = ") + number(r.LowerOuterFence);
    case ChartTarget::Kind::UpperOuterFence:
        return QStringLiteral("Upper outer fence = ") + number(r.UpperOuterFence);
    }
    return {};
}

} // namespace quarvel
