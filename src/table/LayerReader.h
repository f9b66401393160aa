#pragma once

#include "LayerColumn.h"
#include "Table.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class GDALDataset;
class OGRLayer;

namespace quarvel {

/** How the cells of a layer's field are kept and shown. */
enum class LayerForm { Real, Integer, Text, Date, DateTime, Time, Logical, Other };

/** A field of a layer as the table describes it. */
struct LayerField {
    QString name;
    std::string storedName; ///< UTF-8, as GDAL gives it
    LayerForm form = LayerForm::Text;
    FieldKind kind = FieldKind::Text;
    int width = 0;

    LayerColumn::Kind columnKind() const {
        return form == LayerForm::Real      ? LayerColumn::Kind::Real
               : form == LayerForm::Integer ? LayerColumn::Kind::Integer
                                            : LayerColumn::Kind::Text;
    }
};

/**
 * Reads one layer of a GDAL dataset, which it owns and closes: a run of records of every field
 * (what the grid shows), or one field of every record (what the analysis and the join file
 * read), with every other field and the geometry left unread. Records are numbered from 0 in
 * the layer's reading order. Not for two threads at once: its owner guards it.
 */
class LayerReader {
public:
    LayerReader(GDALDataset* dataset, OGRLayer* layer, int records);
    ~LayerReader();
    LayerReader(const LayerReader&) = delete;
    LayerReader& operator=(const LayerReader&) = delete;

    const std::vector<LayerField>& fields() const { return fields_; }
    /** Records first to first + count - 1, a column for each field; missing cells past the end. */
    std::vector<LayerColumn> readRecords(int first, int count);
    /** One field of every record. */
    LayerColumn readField(int field);

private:
    static constexpr int kEveryField = -1;
    static constexpr int kNoField = -2;

    void keepOnly(int field);
    bool readFeatureIds();

    GDALDataset* dataset_;
    OGRLayer* layer_;
    int records_;
    std::vector<LayerField> fields_;
    bool randomRead_ = false;
    int kept_ = kNoField - 1; ///< the field read now (kEveryField, kNoField), none yet
    int cursor_ = -1;         ///< the record the next sequential read gives, -1 unknown
    std::vector<std::int64_t> featureIds_; ///< each record's feature id, once a jump needed them
};

} // namespace quarvel
