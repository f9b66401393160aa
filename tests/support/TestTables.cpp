#include "TestTables.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace quarvel::testing {

void writeTable(const QString& path, const TableSpec& tableSpec) {
    std::string error;
    if (!quarvel::tools::writeDbf(QFile::encodeName(path).toStdString(), tableSpec, error)) {
        std::fprintf(stderr, "cannot write test table %s: %s\n", qPrintable(path), error.c_str());
        std::abort();
    }
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

void patchBytes(const QString& path, qsizetype offset, const QByteArray& bytes) {
    QByteArray content = readBytes(path);
    if (content.size() < offset + bytes.size()) {
        content.resize(offset + bytes.size(), '\0');
    }
    content.replace(offset, bytes.size(), bytes);
    writeBytes(path, content);
}

void patchU16(const QString& path, qsizetype offset, unsigned value) {
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xFF);
    bytes[1] = static_cast<char>((value >> 8) & 0xFF);
    patchBytes(path, offset, bytes);
}

void patchU32(const QString& path, qsizetype offset, unsigned value) {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    patchBytes(path, offset, bytes);
}

TableSpec textTable(const std::string& fieldName, const std::vector<std::string>& values,
                    int width) {
    TableSpec tableSpec;
    tableSpec.fields = {{fieldName, 'C', width, 0}};
    for (const std::string& value : values) {
        tableSpec.records.push_back({value});
    }
    return tableSpec;
}

TableSpec largeNumberTable(int records) {
    TableSpec tableSpec;
    tableSpec.fields = {{"VALUE", 'N', 12, 2}};
    tableSpec.records.reserve(static_cast<std::size_t>(records));
    for (long long i = 0; i < records; ++i) {
        tableSpec.records.push_back({std::to_string(i * 7919 % 100003) + ".25"});
    }
    return tableSpec;
}

TableSpec workedJoinTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"AREA", 'C', 10, 0}, {"POP", 'N', 6, 0}};
    const char* pop[] = {"15", "3", "100", "1", "6", "4", "2", "5"};
    for (int i = 0; i < 8; ++i) {
        tableSpec.records.push_back(
            {std::string(1, static_cast<char>('A' + i)), std::string(pop[i])});
    }
    return tableSpec;
}

TableSpec workedGroupsTable() {
    TableSpec tableSpec;
    tableSpec.fields = {{"NAME", 'C', 4, 0}, {"STATE", 'C', 12, 0}, {"POP", 'N', 7, 1}};
    const char* rows[][2] = {
        {"East", "40.0"}, {"West", "7.5"},  {"North", "12.0"}, {"East", "10.0"}, {"East", "500.0"},
        {"West", "5.0"},  {"East", "30.0"}, {"West", "13.0"},  {"East", "60.0"}, {"North", "8.0"},
        {"East", "20.0"}, {"West", "6.0"},  {"East", "50.0"}};
    char name = 'A';
    for (const auto& [state, pop] : rows) {
        tableSpec.records.push_back({std::string(1, name++), std::string(state), std::string(pop)});
    }
    return tableSpec;
}

} // namespace quarvel::testing
