#include "LayerReader.h"

#include "ArrowField.h"

#include <ogrsf_frmts.h>

#include <cstdio>
#include <memory>

namespace quarvel {
namespace {

// A jump ahead of at most this many records is read through rather than fetched by feature id.
constexpr int kReadThrough = 1024;

struct FeatureDeleter {
    void operator()(OGRFeature* feature) const { OGRFeature::DestroyFeature(feature); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureDeleter>;

LayerForm formOf(const OGRFieldDefn& definition) {
    switch (definition.GetType()) {
    case OFTReal:
        return LayerForm::Real;
    case OFTInteger:
        return definition.GetSubType() == OFSTBoolean ? LayerForm::Logical : LayerForm::Integer;
    case OFTInteger64:
        return LayerForm::Integer;
    case OFTString:
        return LayerForm::Text;
    case OFTDate:
        return LayerForm::Date;
    case OFTDateTime:
        return LayerForm::DateTime;
    case OFTTime:
        return LayerForm::Time;
    default:
        return LayerForm::Other;
    }
}

FieldKind kindOf(LayerForm form) {
    switch (form) {
    case LayerForm::Real:
    case LayerForm::Integer:
        return FieldKind::Number;
    case LayerForm::Date:
    case LayerForm::DateTime:
        return FieldKind::Date;
    case LayerForm::Logical:
        return FieldKind::Logical;
    case LayerForm::Text:
        return FieldKind::Text;
    default:
        return FieldKind::Other;
    }
}

// The width a field's values take when the source states none.
int usualWidth(LayerForm form) {
    switch (form) {
    case LayerForm::Real:
        return 18;
    case LayerForm::Integer:
        return 11;
    case LayerForm::Date:
        return 10;
    case LayerForm::DateTime:
        return 19;
    case LayerForm::Time:
        return 8;
    case LayerForm::Logical:
        return 1;
    default:
        return 20;
    }
}

// Dates as the grid shows dBASE dates (YYYY-MM-DD); a date-time adds its time, its
// milliseconds when it has any and its offset from UTC when the source states one.
std::string dateText(const OGRField& field, LayerForm form) {
    const auto& d = field.Date;
    char text[64];
    int used = 0;
    if (form != LayerForm::Time) {
        used = std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    }
    if (form == LayerForm::Date) {
        return std::string(text, static_cast<std::size_t>(used));
    }
    const auto millis = static_cast<int>(static_cast<double>(d.Second) * 1000 + 0.5);
    used += std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used),
                          "%s%02d:%02d:%02d", used > 0 ? " " : "", d.Hour, d.Minute, millis / 1000);
    if (millis % 1000 != 0) {
        used += std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used), ".%03d",
                              millis % 1000);
    }
    if (d.TZFlag >= 100) { // 100 is UTC, each step a quarter of an hour
        const int quarters = d.TZFlag - 100;
        const int minutes = (quarters < 0 ? -quarters : quarters) * 15;
        used += std::snprintf(text + used, sizeof text - static_cast<std::size_t>(used),
                              "%c%02d:%02d", quarters < 0 ? '-' : '+', minutes / 60, minutes % 60);
    }
    return std::string(text, static_cast<std::size_t>(used));
}

void appendCell(LayerColumn& column, const OGRFeature* feature, int field, LayerForm form) {
    if (feature == nullptr || !feature->IsFieldSetAndNotNull(field)) {
        column.appendMissing();
        return;
    }
    switch (form) {
    case LayerForm::Real:
        column.appendReal(feature->GetFieldAsDouble(field));
        break;
    case LayerForm::Integer:
        column.appendInteger(feature->GetFieldAsInteger64(field));
        break;
    case LayerForm::Logical: // as the grid shows dBASE logicals
        column.appendText(feature->GetFieldAsInteger(field) != 0 ? "T" : "F");
        break;
    case LayerForm::Date:
    case LayerForm::DateTime:
    case LayerForm::Time:
        column.appendText(dateText(*feature->GetRawFieldRef(field), form));
        break;
    default:
        column.appendText(feature->GetFieldAsString(field));
        break;
    }
}

} // namespace

LayerReader::LayerReader(GDALDataset* dataset, OGRLayer* layer, int records)
    : dataset_(dataset), layer_(layer), records_(records) {
    OGRFeatureDefn* definition = layer_->GetLayerDefn();
    for (int i = 0; i < definition->GetFieldCount(); ++i) {
        const OGRFieldDefn& field = *definition->GetFieldDefn(i);
        LayerField described;
        described.storedName = field.GetNameRef();
        described.name = QString::fromStdString(described.storedName);
        described.form = formOf(field);
        described.kind = kindOf(described.form);
        described.width = field.GetWidth() > 0 ? field.GetWidth() : usualWidth(described.form);
        fields_.push_back(std::move(described));
    }
    randomRead_ = layer_->TestCapability(OLCRandomRead) != 0;
}

LayerReader::~LayerReader() {
    GDALClose(dataset_);
}

void LayerReader::keepOnly(int field) {
    if (field == kept_) {
        return;
    }
    OGRFeatureDefn* definition = layer_->GetLayerDefn();
    std::vector<const char*> ignored{"OGR_GEOMETRY", "OGR_STYLE"};
    for (int g = 0; g < definition->GetGeomFieldCount(); ++g) {
        const char* name = definition->GetGeomFieldDefn(g)->GetNameRef();
        if (name[0] != '\0') {
            ignored.push_back(name);
        }
    }
    for (int i = 0; i < definition->GetFieldCount(); ++i) {
        if (field != kEveryField && i != field) {
            ignored.push_back(definition->GetFieldDefn(i)->GetNameRef());
        }
    }
    ignored.push_back(nullptr);
    layer_->SetIgnoredFields(ignored.data());
    layer_->ResetReading();
    kept_ = field;
    cursor_ = 0;
}

std::vector<LayerColumn> LayerReader::readRecords(int first, int count) {
    keepOnly(kEveryField);
    std::vector<LayerColumn> columns;
    for (const LayerField& field : fields_) {
        columns.emplace_back(field.columnKind());
        columns.back().reserve(static_cast<std::size_t>(count));
    }
    const auto append = [&columns, this](const OGRFeature* feature) {
        for (std::size_t f = 0; f < fields_.size(); ++f) {
            appendCell(columns[f], feature, static_cast<int>(f), fields_[f].form);
        }
    };
    const bool readOn = cursor_ >= 0 && first >= cursor_ && first - cursor_ <= kReadThrough;
    if (!readOn && randomRead_ && (!featureIds_.empty() || readFeatureIds())) {
        // A jump: each record fetched by its feature id, as a GeoPackage does at once.
        keepOnly(kEveryField);
        for (int r = first; r < first + count; ++r) {
            const Feature feature(r < records_ ? layer_->GetFeature(featureIds_[r]) : nullptr);
            append(feature.get());
        }
        cursor_ = -1;
        return columns;
    }
    keepOnly(kEveryField); // the ids, when they could not be had, were read without fields
    if (cursor_ < 0 || first < cursor_) {
        layer_->ResetReading();
        cursor_ = 0;
    }
    for (; cursor_ < first; ++cursor_) {
        if (!Feature(layer_->GetNextFeature())) {
            break;
        }
    }
    for (int r = 0; r < count; ++r) {
        const Feature feature(cursor_ == first + r ? layer_->GetNextFeature() : nullptr);
        if (feature) {
            ++cursor_;
        }
        append(feature.get());
    }
    return columns;
}

bool LayerReader::readFeatureIds() {
    keepOnly(kNoField);
    if (!ReadArrowFeatureIds(layer_, featureIds_)) {
        featureIds_.clear();
        layer_->ResetReading();
        while (const Feature feature{layer_->GetNextFeature()}) {
            featureIds_.push_back(feature->GetFID());
        }
    }
    cursor_ = -1;
    // Ids that do not cover every record (a count that was wrong) are not used.
    if (featureIds_.size() != static_cast<std::size_t>(records_)) {
        featureIds_.clear();
        randomRead_ = false;
        return false;
    }
    return true;
}

LayerColumn LayerReader::readField(int field) {
    const LayerField& described = fields_[static_cast<std::size_t>(field)];
    keepOnly(field);
    LayerColumn column(described.columnKind());
    column.reserve(static_cast<std::size_t>(records_));
    // Column by column where GDAL hands the field over so; else feature by feature.
    const bool plain = described.form == LayerForm::Real || described.form == LayerForm::Integer ||
                       described.form == LayerForm::Text;
    if (!plain ||
        !ReadArrowField(layer_, described.storedName, column, static_cast<std::size_t>(records_))) {
        column = LayerColumn(described.columnKind());
        column.reserve(static_cast<std::size_t>(records_));
        layer_->ResetReading();
        while (column.size() < static_cast<std::size_t>(records_)) {
            const Feature feature(layer_->GetNextFeature());
            if (!feature) {
                break;
            }
            appendCell(column, feature.get(), field, described.form);
        }
    }
    while (column.size() < static_cast<std::size_t>(records_)) {
        column.appendMissing();
    }
    cursor_ = -1;
    return column;
}

} // namespace quarvel
