#include "GdalTable.h"

#include "OpenTable.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace quarvel {
namespace {

// The grid's cells are read this many records at a time, and this many pages are kept.
constexpr int kPageRecords = 256;
constexpr std::size_t kPagesKept = 64;

void startGdal() {
    static std::once_flag started;
    std::call_once(started, [] {
        // GDAL would print its messages on the standard error; its reasons are taken from
        // CPLGetLastErrorMsg instead and said where the program says why something failed.
        CPLSetErrorHandler(CPLQuietErrorHandler);
        GDALAllRegister();
    });
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// GDAL's reason for the last failure on this thread, or the sentence given.
QString gdalReason(const QString& otherwise) {
    const QString reason = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return reason.isEmpty() ? otherwise : reason;
}

Dataset openSource(const QString& path, QString& error) {
    startGdal();
    // Only a regular file is read: a pipe or a device would never end, or never start.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("The file cannot be opened: it is not a regular file.");
        return nullptr;
    }
    // A CSV file's columns get their types (Integer, Real, Date, String) from every line, not
    // only from its first megabyte, so that a number field never meets a text further down.
    // An SQLite file shows its tables without geometry too.
    static const char* const csvOptions[] = {"AUTODETECT_TYPE=YES", "AUTODETECT_SIZE_LIMIT=0",
                                             nullptr};
    static const char* const sqliteOptions[] = {"LIST_ALL_TABLES=YES", nullptr};
    const QString suffix = info.suffix().toLower();
    const char* const* options = suffix == QLatin1String("csv")      ? csvOptions
                                 : suffix == QLatin1String("sqlite") ? sqliteOptions
                                                                     : nullptr;
    CPLErrorReset();
    Dataset dataset(GDALDataset::Open(QFile::encodeName(path).constData(),
                                      GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                                      nullptr, options, nullptr));
    if (!dataset) {
        error = QStringLiteral("The file cannot be opened: %1")
                    .arg(gdalReason(QStringLiteral("GDAL reads no layers from it.")));
    }
    return dataset;
}

// The layers of the source in its order, but for the tables a format keeps for itself.
std::vector<OGRLayer*> layersOf(GDALDataset& dataset) {
    std::vector<OGRLayer*> layers;
    for (int i = 0; i < dataset.GetLayerCount(); ++i) {
        if (!dataset.IsLayerPrivate(i)) {
            layers.push_back(dataset.GetLayer(i));
        }
    }
    return layers;
}

QString quotedLayerNames(GDALDataset& dataset) {
    QStringList names;
    for (OGRLayer* layer : layersOf(dataset)) {
        names << QLatin1Char('"') + QString::fromUtf8(layer->GetName()) + QLatin1Char('"');
    }
    return names.join(QStringLiteral(", "));
}

// The layer of this name (exact letters first, then any letter case), or the only layer when
// none is named; nullptr with the reason in error.
OGRLayer* chooseLayer(GDALDataset& dataset, const QString& wanted, QString& error) {
    const std::vector<OGRLayer*> layers = layersOf(dataset);
    const auto count = static_cast<int>(layers.size());
    if (count == 0) {
        error = QStringLiteral("The file holds no layer of records.");
        return nullptr;
    }
    if (wanted.isEmpty()) {
        if (count == 1) {
            return layers.front();
        }
        error = QStringLiteral("The file holds %1 layers, so the one to open must be named: %2.")
                    .arg(count)
                    .arg(quotedLayerNames(dataset));
        return nullptr;
    }
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (OGRLayer* layer : layers) {
            if (QString::fromUtf8(layer->GetName()).compare(wanted, sensitivity) == 0) {
                return layer;
            }
        }
    }
    error = QStringLiteral("The file has no layer named \"%1\"; its layers are %2.")
                .arg(wanted, quotedLayerNames(dataset));
    return nullptr;
}

} // namespace

// Declared with OpenTable, as the callers ask it before they open a layer.
std::vector<LayerInfo> SourceLayers(const QString& path, QString& error) {
    const Dataset dataset = openSource(path, error);
    if (!dataset) {
        return {};
    }
    std::vector<LayerInfo> layers;
    for (OGRLayer* layer : layersOf(*dataset)) {
        layers.push_back({QString::fromUtf8(layer->GetName()), layer->GetFeatureCount(TRUE)});
    }
    if (layers.empty()) {
        error = QStringLiteral("The file holds no layer of records.");
    }
    return layers;
}

GdalTable::GdalTable() = default;
GdalTable::~GdalTable() = default;

std::unique_ptr<GdalTable> GdalTable::open(const QString& path, const QString& layer,
                                           QString& error,
                                           const std::function<bool(double)>& onFraction) {
    const auto stopped = [&error]() -> std::unique_ptr<GdalTable> {
        error = QStringLiteral("The reading was stopped.");
        return nullptr;
    };
    if (onFraction && !onFraction(0)) {
        return stopped();
    }
    Dataset dataset = openSource(path, error);
    if (!dataset) {
        return nullptr;
    }
    OGRLayer* chosen = chooseLayer(*dataset, layer, error);
    if (chosen == nullptr) {
        return nullptr;
    }
    const QString name = QString::fromUtf8(chosen->GetName());
    if (chosen->GetLayerDefn()->GetFieldCount() == 0) {
        error = QStringLiteral("The layer \"%1\" has no fields, so there is nothing to show or "
                               "analyze.")
                    .arg(name);
        return nullptr;
    }
    CPLErrorReset();
    const GIntBig count = chosen->GetFeatureCount(TRUE);
    if (count < 0) {
        error = QStringLiteral("The records of the layer cannot be counted: %1")
                    .arg(gdalReason(QStringLiteral("GDAL gives no count.")));
        return nullptr;
    }
    if (count > std::numeric_limits<int>::max()) {
        error = QStringLiteral("The table has more records than this program can show.");
        return nullptr;
    }

    std::unique_ptr<GdalTable> table(new GdalTable);
    table->path_ = path;
    table->layerName_ = name;
    table->recordCount_ = static_cast<int>(count);
    table->hasGeometry_ = chosen->GetLayerDefn()->GetGeomFieldCount() > 0;
    table->reader_ = std::make_unique<LayerReader>(dataset.release(), chosen, table->recordCount_);
    table->fields_ = table->reader_->fields();
    table->readFields_.resize(table->fields_.size());
    table->wholeFields_ =
        std::make_unique<std::atomic<const LayerColumn*>[]>(table->fields_.size());
    // The first records are read now, as the grid shows them first: a file damaged beyond
    // its header (a GeoPackage cut short) says so here, with GDAL's reason.
    if (table->recordCount_ > 0) {
        CPLErrorReset();
        table->pageOf(0);
        if (CPLGetLastErrorType() >= CE_Failure) {
            error = QStringLiteral("The records of the layer cannot be read: %1")
                        .arg(gdalReason(QStringLiteral("GDAL gives no reason.")));
            return nullptr;
        }
    }
    if (onFraction && !onFraction(1)) {
        return stopped();
    }
    return table;
}

int GdalTable::fieldCount() const {
    return static_cast<int>(fields_.size());
}

QString GdalTable::fieldName(int field) const {
    return field >= 0 && field < fieldCount() ? fields_[static_cast<std::size_t>(field)].name
                                              : QString();
}

std::string GdalTable::storedFieldName(int field) const {
    return field >= 0 && field < fieldCount() ? fields_[static_cast<std::size_t>(field)].storedName
                                              : std::string();
}

FieldKind GdalTable::fieldKind(int field) const {
    return fields_.at(static_cast<std::size_t>(field)).kind;
}

int GdalTable::fieldWidth(int field) const {
    return fields_.at(static_cast<std::size_t>(field)).width;
}

bool GdalTable::valid(int record, int field) const {
    return record >= 0 && record < recordCount_ && field >= 0 && field < fieldCount();
}

const LayerColumn* GdalTable::wholeField(int field) const {
    return wholeFields_[static_cast<std::size_t>(field)].load(std::memory_order_acquire);
}

std::shared_ptr<const GdalTable::Page> GdalTable::pageOf(int record) const {
    const int index = record / kPageRecords;
    const auto kept = [this, index]() -> std::shared_ptr<const Page> {
        const std::lock_guard<std::mutex> lock(paging_);
        const auto found = std::find_if(pages_.begin(), pages_.end(),
                                        [index](const auto& page) { return page->index == index; });
        if (found == pages_.end()) {
            return nullptr;
        }
        std::rotate(found, found + 1, pages_.end()); // now the most recently used
        return pages_.back();
    };
    if (std::shared_ptr<const Page> page = kept()) {
        return page;
    }
    const std::lock_guard<std::mutex> reading(reading_);
    if (std::shared_ptr<const Page> page = kept()) {
        return page; // read by another thread meanwhile
    }
    auto page = std::make_shared<Page>();
    page->index = index;
    const int first = index * kPageRecords;
    page->columns = reader_->readRecords(first, std::min(kPageRecords, recordCount_ - first));
    const std::lock_guard<std::mutex> lock(paging_);
    pages_.push_back(page);
    if (pages_.size() > kPagesKept) {
        pages_.erase(pages_.begin());
    }
    return page;
}

std::string_view GdalTable::cellView(int record, int field, std::string& scratch) const {
    if (!valid(record, field)) {
        return {};
    }
    const auto column = static_cast<std::size_t>(field);
    if (const LayerColumn* whole = wholeField(field)) {
        return whole->view(static_cast<std::size_t>(record), scratch);
    }
    // A page may be let go once this returns: its text is copied.
    const std::shared_ptr<const Page> page = pageOf(record);
    const std::string_view shown =
        page->columns[column].view(static_cast<std::size_t>(record % kPageRecords), scratch);
    if (shown.data() != scratch.data()) {
        scratch.assign(shown);
    }
    return scratch;
}

QString GdalTable::cellText(int record, int field) const {
    std::string scratch;
    const std::string_view shown = cellView(record, field, scratch);
    return QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
}

std::optional<double> GdalTable::storedNumber(int record, int field) const {
    if (!valid(record, field)) {
        return std::nullopt;
    }
    if (const LayerColumn* whole = wholeField(field)) {
        return whole->number(static_cast<std::size_t>(record));
    }
    return pageOf(record)->columns[static_cast<std::size_t>(field)].number(
        static_cast<std::size_t>(record % kPageRecords));
}

bool GdalTable::numberTooLarge(int record, int field) const {
    if (!valid(record, field)) {
        return false;
    }
    if (const LayerColumn* whole = wholeField(field)) {
        return whole->tooLarge(static_cast<std::size_t>(record));
    }
    return pageOf(record)->columns[static_cast<std::size_t>(field)].tooLarge(
        static_cast<std::size_t>(record % kPageRecords));
}

void GdalTable::prefetch(int record, int field) const {
    if (!valid(record, field) || wholeField(field) != nullptr) {
        return;
    }
    const std::lock_guard<std::mutex> reading(reading_);
    if (wholeField(field) != nullptr) {
        return; // read by another thread meanwhile
    }
    auto column = std::make_unique<LayerColumn>(reader_->readField(field));
    wholeFields_[static_cast<std::size_t>(field)].store(column.get(), std::memory_order_release);
    readFields_[static_cast<std::size_t>(field)] = std::move(column);
}

} // namespace quarvel
