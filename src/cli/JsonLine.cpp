#include "JsonLine.h"

#include "JoinFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <charconv>
#include <cmath>

namespace quarvel {
namespace {

// One value as QJsonDocument writes it: a string quoted and escaped, an integer, null.
QByteArray qtJson(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the brackets around it
}

// A string as QJsonDocument writes it, but for the two short escapes \b and \f that Qt uses:
// this line has always had \u0008 and \u000c there, as for every other control character.
QByteArray jsonString(const QString& text) {
    const QByteArray qt = qtJson(text);
    QByteArray out;
    out.reserve(qt.size());
    for (qsizetype i = 0; i < qt.size(); ++i) {
        if (qt[i] != '\\') {
            out += qt[i];
            continue;
        }
        const char escaped = qt[++i]; // Qt never ends a string in a lone backslash
        if (escaped == 'b') {
            out += "\\u0008";
        } else if (escaped == 'f') {
            out += "\\u000c";
        } else {
            out += '\\';
            out += escaped;
        }
    }
    return out;
}

// The shortest text that reads back to the same double (std::to_chars), null when it is not
// finite. Not QJsonDocument's text: Qt 6.4 writes -0 as 0 (another double), writes 1e+06 and
// 1e+15 out in full, and gives a double above 2^53 its shortest digits padded with zeros
// (12345678901234567000) where this line has always had its exact digits (...67168).
QByteArray jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return qtJson(QJsonValue(QJsonValue::Null));
    }
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, written.ptr - text);
}

// A JSON object whose members keep the order they are added in (QJsonObject sorts its keys),
// with ", " between the members and ": " after each key.
class OrderedObject {
public:
    OrderedObject& add(const QString& key, const QByteArray& valueText) {
        text_ += text_.isEmpty() ? "{" : ", ";
        text_ += jsonString(key) + ": " + valueText;
        return *this;
    }
    QByteArray text() const { return text_.isEmpty() ? QByteArrayLiteral("{}") : text_ + '}'; }

private:
    QByteArray text_;
};

// The quartiles, the fences and the records of each rank and note.
void addFigures(OrderedObject& line, const AnalysisResults& results) {
    const JoinCounts counts = CountJoinClasses(results);
    OrderedObject ranks;
    for (int rank = 1; rank <= 4; ++rank) {
        ranks.add(QString::number(rank), qtJson(counts.ranks[rank - 1]));
    }
    // Within, then the possible, then the probable outliers.
    OrderedObject notes;
    for (const int note : {2, 1, 3, 0, 4}) {
        notes.add(QString::fromLatin1(kJoinNotes[note]), qtJson(counts.notes[note]));
    }
    line.add(QStringLiteral("first_quartile"), jsonNumber(results.FirstQuartile))
        .add(QStringLiteral("median"), jsonNumber(results.Median))
        .add(QStringLiteral("third_quartile"), jsonNumber(results.ThirdQuartile))
        .add(QStringLiteral("lower_inner_fence"), jsonNumber(results.LowerInnerFence))
        .add(QStringLiteral("upper_inner_fence"), jsonNumber(results.UpperInnerFence))
        .add(QStringLiteral("lower_outer_fence"), jsonNumber(results.LowerOuterFence))
        .add(QStringLiteral("upper_outer_fence"), jsonNumber(results.UpperOuterFence))
        .add(QStringLiteral("ranks"), ranks.text())
        .add(QStringLiteral("notes"), notes.text());
}

} // namespace

QByteArray ResultsJsonLine(const QString& table, const AnalysisResults& results,
                           const QString& ranked, const QString& map, const QString& mapError) {
    OrderedObject line;
    line.add(QStringLiteral("table"), jsonString(table))
        .add(QStringLiteral("field"), jsonString(QString::fromStdString(results.FieldName)))
        .add(QStringLiteral("records"), qtJson(results.ValueCount));
    if (results.SkipEmpty) {
        line.add(QStringLiteral("left_out"), qtJson(results.LeftOutCount));
    }
    addFigures(line, results);
    if (!ranked.isEmpty()) {
        line.add(QStringLiteral("ranked"), jsonString(ranked));
    }
    if (!mapError.isEmpty()) {
        line.add(QStringLiteral("map"), qtJson(QJsonValue(QJsonValue::Null)))
            .add(QStringLiteral("map_error"), jsonString(mapError));
    } else if (!map.isEmpty()) {
        line.add(QStringLiteral("map"), jsonString(map));
    }
    return line.text() + '\n';
}

QByteArray GroupJsonLine(const QString& table, const QString& field, const QString& groupField,
                         const GroupSummary& group) {
    OrderedObject line;
    line.add(QStringLiteral("table"), jsonString(table))
        .add(QStringLiteral("field"), jsonString(field))
        .add(QStringLiteral("group_field"), jsonString(groupField))
        .add(QStringLiteral("group"), jsonString(group.text))
        .add(QStringLiteral("records"), qtJson(group.records));
    if (group.described) {
        addFigures(line, group.results);
    }
    return line.text() + '\n';
}

QByteArray RefusalJsonLine(const QString& table, const QString& message) {
    OrderedObject line;
    line.add(QStringLiteral("table"), jsonString(table))
        .add(QStringLiteral("error"), jsonString(message));
    return line.text() + '\n';
}

} // namespace quarvel
