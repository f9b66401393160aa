#include "FavoriteFolder.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quarvel {

FavoriteFolderFile::FavoriteFolderFile(QString programFolder, QString configFolder)
    : programFolder_(std::move(programFolder)), configFolder_(std::move(configFolder)) {}

QString FavoriteFolderFile::location() const {
    const QFileInfo program(programFolder_);
    if (program.isDir() && program.isWritable()) {
        return programFolder_;
    }
    return configFolder_;
}

QString FavoriteFolderFile::existingFile() const {
    const QDir folder(location());
    const QString exact = folder.filePath(QLatin1String(kReadName));
    if (QFileInfo(exact).isFile()) {
        return exact;
    }
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(QLatin1String(kReadName), Qt::CaseInsensitive) == 0) {
            return folder.filePath(entry);
        }
    }
    return {};
}

QString FavoriteFolderFile::read() const {
    const QString path = existingFile();
    if (path.isEmpty()) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return firstField(file.read(64 * 1024));
}

QString FavoriteFolderFile::firstField(const QByteArray& content) {
    qsizetype at = 0;
    while (at < content.size() && (content[at] == ' ' || content[at] == '\t')) {
        ++at;
    }
    QByteArray field;
    if (at < content.size() && content[at] == '"') {
        const qsizetype close = content.indexOf('"', at + 1);
        field = content.mid(at + 1, close < 0 ? -1 : close - at - 1);
    } else {
        qsizetype end = at;
        while (end < content.size() && content[end] != ',' && content[end] != '\r' &&
               content[end] != '\n') {
            ++end;
        }
        field = content.mid(at, end - at);
    }
    return QFile::decodeName(field);
}

bool FavoriteFolderFile::write(const QString& tableFolder) const {
    const QString folder = location();
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QDir dir(folder);
    // The file is read as the first comma-separated field: a folder holding a comma is
    // written in quotes, so that it is read back whole.
    QByteArray line = QFile::encodeName(tableFolder);
    if (line.contains(',') && !line.contains('"')) {
        line = '"' + line + '"';
    }
    line += "\r\n";
    QString error;
    if (!SaveWholeFile(dir.filePath(QLatin1String(kWriteName)),
                       std::string_view(line.constData(), static_cast<std::size_t>(line.size())),
                       error)) {
        return false;
    }
    // One file under any spelling: remove the others, so a read finds what was written.
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry != QLatin1String(kWriteName) &&
            entry.compare(QLatin1String(kWriteName), Qt::CaseInsensitive) == 0) {
            QFile::remove(dir.filePath(entry));
        }
    }
    return true;
}

} // namespace quarvel
