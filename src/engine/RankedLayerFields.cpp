#include "RankedLayerFields.h"

#include "AnalysisFiles.h"
#include "DbfTable.h"
#include "JoinFile.h"

#include <ogrsf_frmts.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace quarvel::ranked {
namespace {

// What the cells of a number or date field turned out to hold.
struct Fits {
    bool int32 = true;
    bool int64 = true;
    bool number = true;
    bool date = true;
    int decimals = 0; ///< the most digits after the point among plain numbers
};

template <typename Integer>
bool isInteger(std::string_view text) {
    Integer value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The grid's form of a dBASE date: YYYY-MM-DD with a month and day that can be.
bool isDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    int month = 0;
    int day = 0;
    const auto two = [&text](std::size_t at, int& value) {
        return std::from_chars(text.data() + at, text.data() + at + 2, value).ptr ==
               text.data() + at + 2;
    };
    return isInteger<int>(text.substr(0, 4)) && two(5, month) && two(8, day) && month >= 1 &&
           month <= 12 && day >= 1 && day <= 31;
}

void judge(std::string_view text, char type, Fits& fits) {
    if (text.empty()) {
        return; // NULL: any type holds it
    }
    if (type == 'D') {
        fits.date = fits.date && isDate(text);
        return;
    }
    fits.int32 = fits.int32 && isInteger<std::int32_t>(text);
    fits.int64 = fits.int64 && isInteger<std::int64_t>(text);
    if (!fits.int64 && fits.number) {
        fits.number = ParsePlainNumber(text).has_value();
        const std::size_t point = text.find('.');
        if (fits.number && point != std::string_view::npos &&
            text.find_first_of("eE") == std::string_view::npos) {
            fits.decimals = std::max(fits.decimals, static_cast<int>(text.size() - point - 1));
        }
    }
}

int textWidth(const DbfFieldLayout& field, int least = 1) {
    return std::max(field.width, least);
}

} // namespace

QString CpgName(const QString& codePage) {
    // The numbers Windows and dBASE tools write, which readers of .cpg files know best.
    if (codePage.startsWith(QLatin1String("windows-"), Qt::CaseInsensitive)) {
        return codePage.mid(8);
    }
    if (codePage.startsWith(QLatin1String("IBM"), Qt::CaseInsensitive)) {
        return codePage.mid(3);
    }
    if (codePage.startsWith(QLatin1String("ISO-8859-"), Qt::CaseInsensitive)) {
        return QStringLiteral("8859") + codePage.mid(9);
    }
    static const char* const kNumbered[][2] = {
        {"Shift_JIS", "932"}, {"GBK", "936"}, {"Big5", "950"}, {"UTF-8", "UTF-8"}};
    for (const auto& [name, number] : kNumbered) {
        if (codePage.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return QString::fromLatin1(number);
        }
    }
    return codePage;
}

std::optional<std::vector<FieldPlan>> PlanDbfFields(const DbfTable& table, QStringList& notes,
                                                    Progress* progress) {
    const int fieldCount = table.fieldCount();
    std::vector<Fits> fits(static_cast<std::size_t>(fieldCount));
    std::vector<int> judged; // the number and date fields, whose cells are read now
    for (int field = 0; field < fieldCount; ++field) {
        const char type = table.fieldLayout(field).type;
        if (type == 'N' || type == 'F' || type == 'D') {
            judged.push_back(field);
        }
    }
    std::string scratch;
    const int count = table.recordCount();
    for (int record = 0; record < count && !judged.empty(); ++record) {
        if (progress != nullptr && record % 65536 == 0 && progress->stopRequested()) {
            return std::nullopt;
        }
        for (const int field : judged) {
            judge(table.cellView(record, field, scratch), table.fieldLayout(field).type,
                  fits[static_cast<std::size_t>(field)]);
        }
    }

    std::vector<FieldPlan> fields;
    for (int field = 0; field < fieldCount; ++field) {
        const DbfFieldLayout& layout = table.fieldLayout(field);
        const Fits& fit = fits[static_cast<std::size_t>(field)];
        FieldPlan plan;
        plan.source = field;
        plan.shownName = table.fieldName(field);
        plan.width = textWidth(layout);
        if (layout.type == 'N' || layout.type == 'F') {
            if (layout.decimals == 0 && layout.width <= 9 && fit.int32) {
                plan.type = OFTInteger;
            } else if (layout.decimals == 0 && fit.int64) {
                plan.type = OFTInteger64;
            } else if (fit.number) {
                plan.type = OFTReal;
                plan.precision = std::max(layout.decimals, fit.decimals);
            } else {
                notes << QStringLiteral("The field %1 holds values that are not numbers, so it "
                                        "is written as text.")
                             .arg(plan.shownName);
            }
        } else if (layout.type == 'D') {
            if (fit.date) {
                plan.type = OFTDate;
                plan.width = 8;
            } else {
                plan.width = textWidth(layout, 10);
                notes << QStringLiteral("The field %1 holds values that are not dates, so it is "
                                        "written as text.")
                             .arg(plan.shownName);
            }
        }
        fields.push_back(plan);
    }
    return fields;
}

std::vector<FieldPlan> PlanLayerFields(OGRLayer& layer, bool shapefile) {
    OGRFeatureDefn* definition = layer.GetLayerDefn();
    std::vector<FieldPlan> fields;
    std::vector<int> measured; // texts whose width a shapefile needs from their values
    for (int field = 0; field < definition->GetFieldCount(); ++field) {
        const OGRFieldDefn* source = definition->GetFieldDefn(field);
        FieldPlan plan;
        plan.source = field;
        plan.shownName = QString::fromUtf8(source->GetNameRef());
        plan.type = source->GetType();
        plan.subType = source->GetSubType();
        plan.width = source->GetWidth();
        plan.precision = source->GetPrecision();
        if (shapefile) {
            switch (plan.type) {
            case OFTInteger:
                plan.width = plan.width > 0 ? plan.width : 11;
                break;
            case OFTInteger64:
                plan.width = plan.width > 0 ? plan.width : 20;
                break;
            case OFTReal:
                if (plan.width == 0) {
                    plan.width = 24;
                    plan.precision = 15;
                }
                break;
            case OFTDate:
                plan.width = 8;
                break;
            default: // texts, and what a dBASE file can only hold as text
                plan.type = OFTString;
                plan.subType = OFSTNone;
                plan.width = std::clamp(plan.width, 1, kDbfTextBytes);
                measured.push_back(field);
                break;
            }
        }
        fields.push_back(plan);
    }
    if (!measured.empty()) {
        layer.ResetReading();
        while (OGRFeatureUniquePtr feature{layer.GetNextFeature()}) {
            for (const int field : measured) {
                FieldPlan& plan = fields[static_cast<std::size_t>(field)];
                const auto bytes = static_cast<int>(std::strlen(feature->GetFieldAsString(field)));
                plan.width = std::min(std::max(plan.width, bytes), kDbfTextBytes);
            }
        }
        layer.ResetReading();
    }
    return fields;
}

QString FreeName(const QString& base, const QStringList& taken, int maxBytes,
                 const std::function<int(const QString&)>& byteLength) {
    QString name = base;
    CutText(name, maxBytes, byteLength);
    for (int number = 1; taken.contains(name, Qt::CaseInsensitive); ++number) {
        const QString suffix = QStringLiteral("_%1").arg(number);
        name = base;
        CutText(name, maxBytes - byteLength(suffix), byteLength);
        name += suffix;
    }
    return name;
}

void NameFields(std::vector<FieldPlan>& fields, bool shapefile,
                const std::function<int(const QString&)>& byteLength, QStringList& notes) {
    const int maxBytes = shapefile ? kDbfNameBytes : std::numeric_limits<int>::max();
    QStringList taken;
    // Names that fit keep them first, so that only the long ones and the repeated ones change.
    std::vector<bool> named(fields.size(), false);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const QString& shown = fields[i].shownName;
        if (!shown.isEmpty() && byteLength(shown) <= maxBytes &&
            !taken.contains(shown, Qt::CaseInsensitive)) {
            fields[i].name = shown;
            taken << shown;
            named[i] = true;
        }
    }
    QStringList changed;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (named[i]) {
            continue;
        }
        const QString& shown = fields[i].shownName;
        fields[i].name = FreeName(shown.isEmpty() ? QStringLiteral("FIELD") : shown, taken,
                                  maxBytes, byteLength);
        taken << fields[i].name;
        changed << QStringLiteral("%1 as %2").arg(shown, fields[i].name);
    }
    if (!changed.isEmpty()) {
        notes << (shapefile ? QStringLiteral("Field names of more than 10 characters are cut "
                                             "short, each unique: %1.")
                            : QStringLiteral("Field names are made unique: %1."))
                     .arg(changed.join(QStringLiteral(", ")));
    }
    int longestNote = 0;
    for (const char* note : kJoinNotes) {
        longestNote = std::max(longestNote, static_cast<int>(std::strlen(note)));
    }
    const FieldPlan added[2] = {
        {-1, QString(), QStringLiteral("RANK"), OFTInteger, OFSTNone, 1, 0},
        {-1, QString(), QStringLiteral("NOTE"), OFTString, OFSTNone, longestNote, 0}};
    for (FieldPlan plan : added) {
        plan.name = FreeName(plan.shownName, taken, maxBytes, byteLength);
        if (plan.name != plan.shownName) {
            notes << QStringLiteral("The table has a field %1 already, so the layer's %2 is "
                                    "called %3.")
                         .arg(plan.shownName, plan.shownName.toLower(), plan.name);
        }
        taken << plan.name;
        fields.push_back(plan);
    }
}

void CapTextWidths(std::vector<FieldPlan>& fields, bool fromDbf) {
    for (FieldPlan& field : fields) {
        if (field.type == OFTString && field.source >= 0 &&
            (!fromDbf || field.width > kDbfTextBytes)) {
            field.mayCut = true;
            field.width = std::min(field.width, kDbfTextBytes);
        }
    }
}

std::int64_t DbfFileBytes(const std::vector<FieldPlan>& fields, std::int64_t records) {
    std::int64_t recordBytes = 1; // the deletion flag
    for (const FieldPlan& field : fields) {
        recordBytes += field.width;
    }
    // The header, a descriptor per field and its end mark; the records; the end-of-file mark.
    return 32 + 32 * static_cast<std::int64_t>(fields.size()) + 1 + records * recordBytes + 1;
}

std::optional<QString> DbfLimitRefusal(const std::vector<FieldPlan>& fields, std::int64_t records) {
    const QString instead = QStringLiteral("\r\nWrite the ranked layer as a GeoPackage (.gpkg) "
                                           "instead.");
    if (fields.size() > static_cast<std::size_t>(kDbfFields)) {
        return QStringLiteral("A shapefile holds at most %1 fields, and the ranked layer of this "
                              "table has %2 (its fields, RANK and NOTE).")
                   .arg(kDbfFields)
                   .arg(fields.size()) +
               instead;
    }
    const std::int64_t bytes = DbfFileBytes(fields, records);
    if (bytes >= kDbfFileBytes) {
        return QStringLiteral("A shapefile's .dbf file holds at most 2 GB, and the ranked layer "
                              "of this table would take %1 MB there.")
                   .arg((bytes + (1 << 20) - 1) >> 20) +
               instead;
    }
    return std::nullopt;
}

bool CutText(QString& text, int maxBytes, const std::function<int(const QString&)>& byteLength) {
    if (byteLength(text) <= maxBytes) {
        return false;
    }
    // The longest start of the text that fits; a character of two UTF-16 units stays whole.
    qsizetype fits = 0;
    qsizetype fails = text.size();
    while (fails - fits > 1) {
        const qsizetype middle = fits + (fails - fits) / 2;
        (byteLength(text.left(middle)) <= maxBytes ? fits : fails) = middle;
    }
    if (fits > 0 && text[fits - 1].isHighSurrogate()) {
        --fits;
    }
    text.truncate(fits);
    return true;
}

} // namespace quarvel::ranked
