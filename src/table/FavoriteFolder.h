#pragma once

#include <QByteArray>
#include <QString>

namespace quarvel {

/**
 * The one-line file that remembers the folder of the table chosen last, so that the next
 * Open starts there. It lies in the program's folder, or in the user's configuration
 * folder when the program's folder cannot be written. It is read as "FavoriteFolders.dat"
 * and written as "favoritefolders.dat"; both names mean the same file whatever the letter
 * case, also where the file system tells them apart.
 */
class FavoriteFolderFile {
public:
    static constexpr const char* kReadName = "FavoriteFolders.dat";
    static constexpr const char* kWriteName = "favoritefolders.dat";

    FavoriteFolderFile(QString programFolder, QString configFolder);

    /** The folder the file is kept in. */
    QString location() const;

    /** The remembered folder, or the empty text when there is no file. */
    QString read() const;

    /** Replaces the file with one line: tableFolder, CR LF. False when it cannot be written. */
    bool write(const QString& tableFolder) const;

    /** The first comma-separated field of the file's first line (quotes removed). */
    static QString firstField(const QByteArray& content);

private:
    QString existingFile() const;

    QString programFolder_;
    QString configFolder_;
};

} // namespace quarvel
