#include "DbfWriter.h"

#include <shapefil.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace quarvel::tools {
namespace {

std::string rightAligned(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) {
        return text;
    }
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

class Handle {
public:
    explicit Handle(DBFHandle h) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr) {
            DBFClose(h_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    DBFHandle get() const { return h_; }

private:
    DBFHandle h_;
};

} // namespace

bool writeDbf(const std::string& path, const TableSpec& tableSpec, std::string& error) {
    std::remove(path.c_str());
    Handle dbf(DBFCreateEx(path.c_str(),
                           tableSpec.codePage.empty() ? nullptr : tableSpec.codePage.c_str()));
    if (dbf.get() == nullptr) {
        error = "cannot create " + path;
        return false;
    }
    for (const FieldSpec& field : tableSpec.fields) {
        if (DBFAddNativeFieldType(dbf.get(), field.name.c_str(), field.type, field.width,
                                  field.decimals) < 0) {
            error = "cannot add field " + field.name;
            return false;
        }
    }
    for (std::size_t r = 0; r < tableSpec.records.size(); ++r) {
        const int record = static_cast<int>(r);
        for (std::size_t f = 0; f < tableSpec.fields.size(); ++f) {
            const int field = static_cast<int>(f);
            const FieldSpec& layout = tableSpec.fields[f];
            const std::optional<std::string>& value =
                f < tableSpec.records[r].size() ? tableSpec.records[r][f] : std::nullopt;
            int ok = 0;
            if (!value) {
                ok = DBFWriteNULLAttribute(dbf.get(), record, field);
            } else {
                const bool number = layout.type == 'N' || layout.type == 'F';
                std::string stored = number ? rightAligned(*value, layout.width) : *value;
                ok = DBFWriteAttributeDirectly(dbf.get(), record, field, stored.data());
            }
            if (!ok) {
                error = "cannot write record " + std::to_string(r) + " field " + layout.name;
                return false;
            }
        }
    }
    for (int record : tableSpec.deletedRecords) {
        if (!DBFMarkRecordDeleted(dbf.get(), record, 1)) {
            error = "cannot mark record " + std::to_string(record) + " deleted";
            return false;
        }
    }
    return true;
}

bool writeBenchmarkTable(const std::string& path, int records, unsigned seed, std::string& error) {
    TableSpec tableSpec;
    tableSpec.codePage = "LDID/87";
    tableSpec.fields = {{"ID", 'N', 9, 0},       {"NAME", 'C', 40, 0},   {"POP", 'N', 10, 0},
                        {"AREA", 'N', 14, 3},    {"INCOME", 'N', 12, 2}, {"TEMP", 'N', 8, 2},
                        {"ELEV", 'N', 9, 1},     {"SORTED", 'N', 10, 0}, {"RANK", 'N', 8, 0},
                        {"DENSITY", 'F', 19, 8}, {"SHARE", 'N', 10, 6},  {"GROWTH", 'N', 9, 4},
                        {"LAT", 'N', 12, 6},     {"LON", 'N', 12, 6},    {"FOUNDED", 'D', 8, 0},
                        {"SURVEYED", 'D', 8, 0}, {"ACTIVE", 'L', 1, 0},  {"REGION", 'C', 20, 0},
                        {"CODE", 'C', 12, 0},    {"NOTE", 'C', 40, 0}};
    tableSpec.records.reserve(static_cast<std::size_t>(records));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::normal_distribution<double> normal(0, 1);
    char buffer[64];
    const auto fixed = [&buffer](double value, int decimals) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        return std::string(buffer);
    };
    const char* regions[] = {"North", "South", "East", "West", "Central"};
    for (int r = 0; r < records; ++r) {
        std::vector<std::optional<std::string>> row;
        row.reserve(tableSpec.fields.size());
        row.push_back(std::to_string(r + 1));
        row.push_back("Place " + std::to_string(r + 1));
        row.push_back(std::to_string(static_cast<long>(std::exp(8 + 2 * normal(random)))));
        row.push_back(fixed(unit(random) * 5000, 3));
        row.push_back(fixed(20000 + 15000 * normal(random), 2));
        row.push_back(fixed(12 + 8 * normal(random), 2));
        row.push_back(fixed(-50 + 800 * unit(random), 1));
        row.push_back(std::to_string(r * 3));
        row.push_back(std::to_string(records - r));
        row.push_back(fixed(unit(random) * 1000, 8));
        row.push_back(fixed(unit(random), 6));
        row.push_back(fixed(normal(random) / 10, 4));
        row.push_back(fixed(-60 + 120 * unit(random), 6));
        row.push_back(fixed(-180 + 360 * unit(random), 6));
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", 1700 + r % 300, 1 + r % 12,
                      1 + r % 28);
        row.emplace_back(buffer);
        row.push_back(r % 10 == 0 ? std::nullopt : std::optional<std::string>("20240615"));
        row.push_back(std::string(r % 3 == 0 ? "F" : "T"));
        row.push_back(std::string(regions[r % 5]));
        row.push_back("C" + std::to_string(100000 + r));
        row.push_back(r % 7 == 0 ? std::string() : std::string("surveyed"));
        tableSpec.records.push_back(std::move(row));
    }
    return writeDbf(path, tableSpec, error);
}

} // namespace quarvel::tools
