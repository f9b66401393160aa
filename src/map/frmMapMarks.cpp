#include "frmMap.h"

#include "Analysis.h"
#include "JoinFile.h"
#include "LocaleNumbers.h"
#include "MapArea.h"
#include "frmMapShapes.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>

// The map window's marks, legend, tooltip and pictures.

namespace quarvel {
namespace {

QIcon swatch(MapClass mapClass) {
    QPixmap box(16, 16);
    box.fill(QColor::fromRgb(static_cast<QRgb>(MapClassColor(mapClass))));
    QPainter painter(&box);
    painter.setPen(QColor(0x63, 0x63, 0x63));
    painter.drawRect(0, 0, 15, 15);
    return QIcon(box);
}

} // namespace

void frmMap::fillLegend() {
    lstLegend->clear();
    for (int c = 0; c < kMapClassCount; ++c) {
        const auto of = static_cast<MapClass>(c);
        auto* item =
            new QListWidgetItem(swatch(of), QStringLiteral("%1 (%2)")
                                                .arg(QString::fromLatin1(MapClassName(of)))
                                                .arg(counts_[static_cast<std::size_t>(c)]));
        lstLegend->addItem(item);
    }
}

QString frmMap::hoverText(const QPoint& pixel) const {
    if (data_ == nullptr) {
        return {};
    }
    const long feature = FeatureAt(data_->geometry, picMap->view(), pixel.x(), pixel.y());
    if (feature < 0 || static_cast<std::size_t>(feature) >= data_->ranks.size()) {
        return {};
    }
    const int record = static_cast<int>(feature);
    const RecordClass& rankAndNote = data_->ranks[static_cast<std::size_t>(record)];
    if (!rankAndNote.hasValue()) {
        return QStringLiteral("Record %1: no value").arg(record + 1);
    }
    const std::optional<double> value = CellValue(*data_->table, record, data_->field);
    return QStringLiteral("Record %1: %2, rank %3, %4")
        .arg(record + 1)
        .arg(value ? MessageNumberText(*value) : data_->table->cellText(record, data_->field))
        .arg(rankAndNote.rank)
        .arg(QString::fromLatin1(rankAndNote.noteText()));
}

void frmMap::picMap_Click(const QPoint& pixel) {
    if (data_ == nullptr) {
        return;
    }
    const long feature = FeatureAt(data_->geometry, picMap->view(), pixel.x(), pixel.y());
    if (feature < 0) {
        return;
    }
    markRecord(static_cast<int>(feature));
    emit recordClicked(static_cast<int>(feature));
}

void frmMap::lstLegend_Click(int row) {
    if (row >= 0 && row < kMapClassCount) {
        markClass(static_cast<MapClass>(row));
    }
}

void frmMap::markRecord(int record) {
    if (data_ == nullptr || record < 0 ||
        static_cast<std::size_t>(record) >= data_->geometry.featureCount()) {
        return;
    }
    marks_ = MapMarks{record, -1};
    showMarks();
    redraw();
}

void frmMap::markClass(MapClass mapClass) {
    if (data_ == nullptr) {
        return;
    }
    marks_ = MapMarks{-1, static_cast<int>(mapClass)};
    showMarks();
    redraw();
}

void frmMap::clearMarks() {
    const bool had = marks_.any();
    marks_ = MapMarks();
    showMarks();
    if (had) {
        redraw();
    }
    emit marksCleared();
}

void frmMap::showMarks() {
    if (marks_.record >= 0 && data_ != nullptr) {
        const auto record = static_cast<std::size_t>(marks_.record);
        lblMarks->setText(data_->geometry.hasShape(record)
                              ? QStringLiteral("Record %1 marked.").arg(record + 1)
                              : QStringLiteral("Record %1 has no shape.").arg(record + 1));
    } else if (marks_.mapClass >= 0) {
        const std::size_t count = counts_[static_cast<std::size_t>(marks_.mapClass)];
        lblMarks->setText(
            QStringLiteral("%1: %2 %3 marked.")
                .arg(QString::fromLatin1(MapClassName(static_cast<MapClass>(marks_.mapClass))))
                .arg(count)
                .arg(count == 1 ? QStringLiteral("record") : QStringLiteral("records")));
    } else {
        lblMarks->clear();
    }
}

void frmMap::cmdHome_Click() {
    if (data_ == nullptr) {
        return;
    }
    wholeExtent_ = true;
    picMap->setView(
        MapTransform::fit(data_->geometry.extent(), picMap->width(), picMap->height(), kMapMargin));
    redraw();
}

void frmMap::copyMap() {
    if (data_ != nullptr) {
        QGuiApplication::clipboard()->setImage(
            RenderMap(data_->scene(), picMap->view(), marks_, {}, data_->smooth()));
    }
}

void frmMap::saveMapAs() {
    if (data_ == nullptr) {
        return;
    }
    const std::optional<QString> path = dialogs_.saveFile(this, QStringLiteral("Save Map As"),
                                                          {QStringLiteral("PNG image (*.png)"),
                                                           QStringLiteral("SVG drawing (*.svg)"),
                                                           QStringLiteral("PDF document (*.pdf)")},
                                                          QStringLiteral("Map.png"));
    if (!path) {
        return;
    }
    if (const std::optional<QString> family =
            TableFamilyRefusal(QString::fromStdString(data_->tablePath), *path)) {
        showError(*family);
        return;
    }
    QString error;
    if (!SaveMap(data_->scene(), picMap->view(), marks_, *path, error)) {
        showError(QStringLiteral("The map could not be saved as \"%1\": %2.")
                      .arg(QFileInfo(*path).fileName(), error));
    }
}

void frmMap::showError(const QString& message) {
    dialogs_.message(this, message, QStringLiteral("Error!"), MessageButtons::Ok,
                     MessageIcon::Critical);
}

} // namespace quarvel
