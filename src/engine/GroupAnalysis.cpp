#include "GroupAnalysis.h"

#include "Analysis.h"
#include "AnalysisFiles.h"
#include "LongSorts.h"
#include "NumberText.h"
#include "QuartileRule.h"
#include "SafeFile.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace quarvel {
namespace {

// The distinct byte texts of a field's cells, each given a number in the order first seen. An
// open-addressing hash table over the texts, with the last text found tried first, since
// records of one group often follow each other.
class DistinctTexts {
public:
    DistinctTexts() : slots_(64, -1) {}

    int idOf(std::string_view text) {
        if (last_ >= 0 && texts_[static_cast<std::size_t>(last_)] == text) {
            return last_;
        }
        const std::uint64_t hash = hashOf(text);
        std::size_t slot = hash & (slots_.size() - 1);
        for (;; slot = (slot + 1) & (slots_.size() - 1)) {
            const int id = slots_[slot];
            if (id < 0) {
                break;
            }
            if (hashes_[static_cast<std::size_t>(id)] == hash &&
                texts_[static_cast<std::size_t>(id)] == text) {
                return last_ = id;
            }
        }
        last_ = static_cast<int>(texts_.size());
        texts_.emplace_back(text);
        hashes_.push_back(hash);
        slots_[slot] = last_;
        if (2 * texts_.size() > slots_.size()) {
            grow();
        }
        return last_;
    }

    std::size_t size() const { return texts_.size(); }

private:
    // FNV-1a: group texts are short, and a byte at a time is quick enough for them.
    static std::uint64_t hashOf(std::string_view text) {
        std::uint64_t hash = 14695981039346656037ULL;
        for (const char c : text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
        return hash ^ (hash >> 29);
    }

    void grow() {
        slots_.assign(2 * slots_.size(), -1);
        for (std::size_t id = 0; id < texts_.size(); ++id) {
            std::size_t slot = hashes_[id] & (slots_.size() - 1);
            while (slots_[slot] >= 0) {
                slot = (slot + 1) & (slots_.size() - 1);
            }
            slots_[slot] = static_cast<int>(id);
        }
    }

    std::vector<std::string> texts_;
    std::vector<std::uint64_t> hashes_;
    std::vector<int> slots_; // a power of two, at most half full
    int last_ = -1;
};

void appendCsvText(std::string& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\r') &&
        !utf8.contains('\n')) {
        out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
        return;
    }
    out += '"';
    for (const char c : utf8) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

} // namespace

GroupsOutcome AnalyseGroups(const Table& table, int groupField, std::span<const double> values,
                            std::span<const std::uint8_t> leftOut, Progress* progress) {
    const int count = table.recordCount();
    const auto records = static_cast<std::size_t>(count);
    const std::size_t leftOutCount =
        leftOut.size() - static_cast<std::size_t>(std::count(leftOut.begin(), leftOut.end(), 0));
    if (groupField < 0 || groupField >= table.fieldCount() ||
        (!leftOut.empty() && leftOut.size() != records) ||
        values.size() != records - leftOutCount) {
        throw std::invalid_argument("AnalyseGroups: the values do not fit the table");
    }
    const auto stopRequested = [progress] {
        return progress != nullptr && progress->stopRequested();
    };
    GroupsOutcome outcome;
    outcome.groupField = table.fieldName(groupField);
    if (progress != nullptr) {
        progress->stage(kGroupingStage);
        progress->fraction(0);
    }

    // Each record's text is read once, as the table stores it; the records take the number of
    // their text for now.
    std::vector<std::int32_t>& groupOf = outcome.groupOf;
    groupOf.assign(records, -1);
    DistinctTexts distinct;
    std::vector<int> firstRecord; // of each distinct text
    std::string scratch;
    constexpr int kAhead = 32;
    for (int record = 0; record < count; ++record) {
        if (record + kAhead < count) {
            table.prefetch(record + kAhead, groupField);
        }
        if (!leftOut.empty() && leftOut[static_cast<std::size_t>(record)] != 0) {
            continue;
        }
        const int id = distinct.idOf(table.cellView(record, groupField, scratch));
        if (static_cast<std::size_t>(id) == firstRecord.size()) {
            firstRecord.push_back(record);
        }
        groupOf[static_cast<std::size_t>(record)] = id;
        if ((record + 1) % kStepsBetweenStopChecks == 0) {
            if (progress != nullptr) {
                progress->fraction(0.4 * (record + 1) / count);
            }
            if (stopRequested()) {
                return GroupsOutcome{outcome.groupField, {}, {}, true};
            }
        }
    }

    // The groups in the order of their texts' UTF-8 bytes. Two stored texts that the grid shows
    // alike (bytes that are no text in the table's code page) are one group.
    std::vector<std::string> utf8(distinct.size());
    std::vector<QString> texts(distinct.size());
    for (std::size_t id = 0; id < distinct.size(); ++id) {
        texts[id] = table.cellText(firstRecord[id], groupField);
        utf8[id] = texts[id].toUtf8().toStdString();
    }
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&utf8](int a, int b) {
        return utf8[static_cast<std::size_t>(a)] < utf8[static_cast<std::size_t>(b)];
    });
    std::vector<std::int32_t> groupOfText(distinct.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto id = static_cast<std::size_t>(order[k]);
        if (k == 0 || utf8[id] != utf8[static_cast<std::size_t>(order[k - 1])]) {
            GroupSummary group;
            group.text = texts[id];
            outcome.groups.push_back(std::move(group));
        }
        groupOfText[id] = static_cast<std::int32_t>(outcome.groups.size() - 1);
    }
    std::vector<GroupSummary>& groups = outcome.groups;
    for (std::int32_t& group : groupOf) {
        if (group >= 0) {
            group = groupOfText[static_cast<std::size_t>(group)];
            ++groups[static_cast<std::size_t>(group)].records;
        }
    }

    // Each group's values in table order, then sorted and described.
    std::vector<double*> next(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        groups[g].results.SortedValues.resize(static_cast<std::size_t>(groups[g].records));
        next[g] = groups[g].results.SortedValues.data();
    }
    std::size_t valueIndex = 0;
    for (const std::int32_t group : groupOf) {
        if (group >= 0) {
            *next[static_cast<std::size_t>(group)]++ = values[valueIndex++];
        }
    }
    if (progress != nullptr) {
        progress->fraction(0.5);
    }
    const std::string tablePath = QFileInfo(table.path()).absoluteFilePath().toStdString();
    std::size_t described = 0;
    for (GroupSummary& group : groups) {
        AnalysisResults& results = group.results;
        if (!SortDoubles(results.SortedValues, stopRequested) || stopRequested()) {
            return GroupsOutcome{outcome.groupField, {}, {}, true};
        }
        results.ValueCount = group.records;
        results.TablePath = tablePath;
        group.described = group.records >= 3;
        ApplyQuartileRule(results);
        described += results.SortedValues.size();
        if (progress != nullptr) {
            progress->fraction(0.5 + 0.5 * static_cast<double>(described) / values.size());
        }
    }
    return outcome;
}

std::string GroupsFileText(const GroupsOutcome& outcome) {
    std::string text = "Group,Records,1st Quartile,Median,3rd Quartile,Lower Inner Fence,"
                       "Upper Inner Fence,Lower Outer Fence,Upper Outer Fence";
    text += kLineEnd;
    for (const GroupSummary& group : outcome.groups) {
        appendCsvText(text, group.text);
        text += ',';
        text += std::to_string(group.records);
        const AnalysisResults& r = group.results;
        for (const double number : {r.FirstQuartile, r.Median, r.ThirdQuartile, r.LowerInnerFence,
                                    r.UpperInnerFence, r.LowerOuterFence, r.UpperOuterFence}) {
            text += ',';
            if (group.described) {
                AppendFileNumberText(text, number);
            }
        }
        text += kLineEnd;
    }
    return text;
}

std::optional<QString> SaveGroupsFile(const GroupsOutcome& outcome, const QString& tablePath,
                                      const QString& path) {
    if (std::optional<QString> family = TableFamilyRefusal(tablePath, path)) {
        return family;
    }
    QString error;
    if (!SaveWholeFile(path, GroupsFileText(outcome), error)) {
        return CannotWriteMessage(path, error);
    }
    return std::nullopt;
}

} // namespace quarvel
