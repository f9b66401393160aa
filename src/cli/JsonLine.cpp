#include "JsonLine.h"

#include "JoinFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace quarvel {
namespace {

// The shortest text that reads back to the same double; null for what JSON cannot hold.
std::string jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string jsonString(const QString& text) {
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace

QByteArray ResultsJsonLine(const QString& table, const AnalysisResults& r) {
    const JoinCounts counts = CountJoinClasses(r);
    std::string line = "{\"table\": " + jsonString(table);
    line += ", \"field\": " + jsonString(QString::fromStdString(r.FieldName));
    line += ", \"records\": " + std::to_string(r.ValueCount);
    const std::pair<const char*, double> numbers[] = {
        {"first_quartile", r.FirstQuartile},      {"median", r.Median},
        {"third_quartile", r.ThirdQuartile},      {"lower_inner_fence", r.LowerInnerFence},
        {"upper_inner_fence", r.UpperInnerFence}, {"lower_outer_fence", r.LowerOuterFence},
        {"upper_outer_fence", r.UpperOuterFence}};
    for (const auto& [name, value] : numbers) {
        line += std::string(", \"") + name + "\": " + jsonNumber(value);
    }
    line += ", \"ranks\": {";
    for (int rank = 0; rank < 4; ++rank) {
        line += (rank == 0 ? "\"" : ", \"") + std::to_string(rank + 1) +
                "\": " + std::to_string(counts.ranks[rank]);
    }
    // Notes in the order: within, then the possible, then the probable outliers.
    line += "}, \"notes\": {";
    const int order[5] = {2, 1, 3, 0, 4};
    for (int i = 0; i < 5; ++i) {
        line += std::string(i == 0 ? "\"" : ", \"") + kJoinNotes[order[i]] +
                "\": " + std::to_string(counts.notes[order[i]]);
    }
    line += "}}\n";
    return QByteArray::fromStdString(line);
}

QByteArray RefusalJsonLine(const QString& table, const QString& message) {
    return QByteArray::fromStdString("{\"table\": " + jsonString(table) +
                                     ", \"error\": " + jsonString(message) + "}\n");
}

} // namespace quarvel
