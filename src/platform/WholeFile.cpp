#include "WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quarvel {

bool SaveWholeFile(const QString& name, const std::string& content, QString& error) {
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) != size || !file.commit()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString CannotWriteMessage(const QString& name, const QString& reason) {
    const QFileInfo info(name);
    return QStringLiteral("The file \"%1\" could not be written in %2: %3.\r\n"
                          "Check that the folder can be written and has room, then try again.")
        .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()), reason);
}

} // namespace quarvel
