#include "frmView.h"

#include "BackgroundWork.h"
#include "BusyIndicator.h"
#include "ChartFile.h"
#include "DetailedPicture.h"
#include "FieldValues.h"
#include "LocaleNumbers.h"
#include "Twips.h"
#include "WindowSetup.h"

#include <QFileInfo>
#include <QPointer>
#include <QProgressBar>
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

frmView::frmView(std::shared_ptr<const AnalysisResults> results,
                 std::shared_ptr<UniformSequence> heights, Dialogs& dialogs, BackgroundWork& work,
                 QWidget* parent)
    : QWidget(parent), results_(std::move(results)), heights_(std::move(heights)),
      dialogs_(dialogs), work_(work) {
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
    drawingProgress =
        placed<QProgressBar>(this, "drawingProgress", twipsRect(120, 5400, 2040, 375));
    drawingProgress->setFont(dialogFont());
    busy_ = new BusyIndicator(*drawingProgress, QStringLiteral("%1 %p%"));

    // Made larger, the window gives the picture the room (the chart is drawn again at the
    // new size on the same 2000 x 800 units); the buttons stay at the bottom right.
    setMinimumSize(size());
    auto* growing = new GrowingLayout(*this, size());
    growing->add(PicBox, GrowingLayout::Grow::Both);
    growing->add(drawingProgress);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdBasic, cmdDetail, cmdCancel}) {
        growing->add(control, GrowingLayout::Grow::BottomRight);
    }

    PicBox->setHoverText([this](double x, double y, double ry, double tolerance) {
        return hoverText(x, y, ry, tolerance);
    });

    PicBox->setClick([this](double x, double y, double ry) { picture_Click(x, y, ry); });

    setTabOrder(PicBox, cmdBasic);
    setTabOrder(cmdBasic, cmdDetail);
    setTabOrder(cmdDetail, cmdCancel);

    connect(cmdBasic, &QPushButton::clicked, this, &frmView::cmdBasic_Click);
    connect(cmdDetail, &QPushButton::clicked, this, &frmView::cmdDetail_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmView::cmdCancel_Click);
    // While long work runs (the detailed drawing or another window's), the views wait; the
    // drawing's own stages and progress show here.
    workBusy(work_.busy());
    connect(&work_, &BackgroundWork::busyChanged, this, &frmView::workBusy);
    connect(&work_, &BackgroundWork::stageChanged, this, [this](const QString& text) {
        if (work_.shownIn() == this) {
            busy_->setStage(text);
        }
    });
    connect(&work_, &BackgroundWork::fractionChanged, this, [this](double done) {
        if (work_.shownIn() == this) {
            busy_->setFraction(done);
        }
    });
    // Enter presses the default button and Escape the cancel button, wherever the focus is.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, cmdBasic, &QPushButton::click);
    }
    addEscapeShortcut(*this, cmdCancel);

    centreOnScreen(*this);
}

void frmView::workBusy(bool busy) {
    cmdBasic->setEnabled(!busy);
    cmdDetail->setEnabled(!busy);
    if (busy && work_.shownIn() == this) {
        busy_->begin();
    } else if (!busy) {
        busy_->end();
    }
}

void frmView::cmdBasic_Click() {
    const AnalysisResults& results = *results_;
    drawnDigest_ = results.ValuesDigest;
    recordsInOrder_.clear();
    PicBox->setTablePath(QString::fromStdString(results.TablePath));
    fields_ = DrawBasicView(PicBox->displayList(), results);
    PicBox->pictureChanged();
}

void frmView::cmdDetail_Click() {
    if (work_.busy()) {
        return; // the buttons are disabled meanwhile; a queued click changes nothing
    }
    // Every value's circle is drawn and painted on the worker, and each value's record is
    // found for the tooltips. The work shares the results and the table, and draws with a
    // copy of the height sequence, which it hands back advanced.
    std::shared_ptr<const AnalysisResults> results = results_;
    std::shared_ptr<const Table> table = tableSource_ ? tableSource_() : nullptr;
    if (table != nullptr &&
        QFileInfo(table->path()).absoluteFilePath().toStdString() != results->TablePath) {
        table = nullptr; // another table is shown now: its records are not these values'
    }
    const int field =
        table != nullptr ? FieldIndex(*table, QString::fromStdString(results->FieldName)) : -1;
    const QSize size = PicBox->contentsRect().size();
    const QFont font = PicBox->font();
    const QLocale locale;
    UniformSequence heights = *heights_;
    const std::shared_ptr<UniformSequence> sequence = heights_;
    const QPointer<frmView> self(this);
    const bool started = work_.start<DetailedPicture>(
        [results, table, field, size, font, locale, heights](Progress& progress) {
            return DrawDetailedPicture(*results, table.get(), field, size, font, locale, heights,
                                       progress);
        },
        [self, sequence, digest = results->ValuesDigest](DetailedPicture& drawn) {
            *sequence = drawn.heights; // the next drawing goes on where this one ended
            if (self != nullptr) {
                self->drawnDigest_ = digest;
                self->recordsInOrder_ = std::move(drawn.records);
                self->PicBox->setDrawing(std::move(drawn.drawing), std::move(drawn.painted));
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->dialogs_.message(self, message, QStringLiteral("Error!"), MessageButtons::Ok,
                                       MessageIcon::Critical);
            }
        },
        this);
    if (!started) {
        return; // other work runs; the buttons wait for it
    }
    PicBox->setTablePath(QString::fromStdString(results->TablePath));
    drawnDigest_ = 0;
    recordsInOrder_.clear();
    // The picture is blank until the drawing arrives.
    PicBox->setDrawing(DisplayList(), QImage());
    fields_ = HorizontalScale(results->SortedValues.empty() ? 0 : results->SortedValues.front(),
                              results->SortedValues.empty() ? 0 : results->SortedValues.back(),
                              results->LowerOuterFence, results->UpperOuterFence);
}

void frmView::cmdCancel_Click() {
    // Unloads the window: the next "Quarvel" command opens a fresh, blank one.
    close();
}

int frmView::recordOf(std::size_t sortedIndex) const {
    return sortedIndex < recordsInOrder_.size() ? static_cast<int>(recordsInOrder_[sortedIndex]) + 1
                                                : -1;
}

void frmView::picture_Click(double x, double y, double ry) {
    if (PicBox->displayList().empty() || results_->ValuesDigest != drawnDigest_) {
        return;
    }
    const std::optional<std::size_t> circle = PicBox->displayList().lastCircleHolding(x, y, ry);
    if (!circle) {
        return;
    }
    const int record = recordOf(*circle);
    if (record > 0) {
        PicBox->setRing(PicBox->displayList().circleAt(*circle));
        emit recordClicked(record - 1);
    }
}

bool frmView::ringRecord(int record) {
    if (record < 0 || recordsInOrder_.empty() || results_->ValuesDigest != drawnDigest_) {
        clearRing();
        return false;
    }
    const auto found = std::find(recordsInOrder_.begin(), recordsInOrder_.end(),
                                 static_cast<std::uint32_t>(record));
    if (found == recordsInOrder_.end()) {
        clearRing();
        return false;
    }
    const auto ordinal = static_cast<std::size_t>(found - recordsInOrder_.begin());
    PicBox->setRing(PicBox->displayList().circleAt(ordinal));
    return PicBox->ring().has_value();
}

void frmView::clearRing() {
    PicBox->setRing(std::nullopt);
}

QString frmView::hoverText(double x, double y, double ry, double tolerance) {
    // Only for the drawing of the results as they are now.
    if (PicBox->displayList().empty() || results_->ValuesDigest != drawnDigest_) {
        return {};
    }
    const std::optional<ChartTarget> target =
        ChartTargetAt(PicBox->displayList(), *results_, x, y, ry, tolerance);
    if (!target) {
        return {};
    }
    const auto number = [](double v) { return MessageNumberText(v); };
    const AnalysisResults& r = *results_;
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
