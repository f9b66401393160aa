#include "FavoriteFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quarvel {
namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(FavoriteFolder, WritesOneLineEndedByCrLf) {
    QTemporaryDir program;
    const FavoriteFolderFile file(program.path(), QStringLiteral("/nonexistent"));
    ASSERT_TRUE(file.write(QStringLiteral("/data/gis/roads/")));
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList{"favoritefolders.dat"});
    EXPECT_EQ(contentOf(program.filePath("favoritefolders.dat")),
              QByteArray("/data/gis/roads/\r\n"));
    EXPECT_EQ(file.read().toStdString(), "/data/gis/roads/");
}

TEST(FavoriteFolder, NamesMatchWithoutRegardToLetterCase) {
    QTemporaryDir program;
    put(program.filePath("FAVORITEFOLDERS.DAT"), "/old/place/\r\n");
    const FavoriteFolderFile file(program.path(), QStringLiteral("/nonexistent"));
    EXPECT_EQ(file.read().toStdString(), "/old/place/");
    ASSERT_TRUE(file.write(QStringLiteral("/new/place/")));
    // The other spelling is gone, so there is one file and it holds the new folder.
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList{"favoritefolders.dat"});
    EXPECT_EQ(file.read().toStdString(), "/new/place/");
}

TEST(FavoriteFolder, AFolderWithACommaIsQuotedAndReadBackWhole) {
    QTemporaryDir program;
    const FavoriteFolderFile file(program.path(), QStringLiteral("/nonexistent"));
    ASSERT_TRUE(file.write(QStringLiteral("/data/Smith, John/")));
    EXPECT_EQ(contentOf(program.filePath("favoritefolders.dat")),
              QByteArray("\"/data/Smith, John/\"\r\n"));
    EXPECT_EQ(file.read().toStdString(), "/data/Smith, John/");
}

TEST(FavoriteFolder, MissingFileReadsEmpty) {
    QTemporaryDir program;
    EXPECT_TRUE(FavoriteFolderFile(program.path(), QString()).read().isEmpty());
}

TEST(FavoriteFolder, UnwritableProgramFolderFallsBackToTheConfigFolder) {
    QTemporaryDir config;
    const QString configFolder = config.filePath("nested/quarvel");
    const FavoriteFolderFile file(QStringLiteral("/nonexistent/program"), configFolder);
    EXPECT_EQ(file.location(), configFolder);
    ASSERT_TRUE(file.write(QStringLiteral("/tables/")));
    EXPECT_EQ(contentOf(QDir(configFolder).filePath("favoritefolders.dat")),
              QByteArray("/tables/\r\n"));
    EXPECT_EQ(file.read().toStdString(), "/tables/");
}

TEST(FavoriteFolder, FirstFieldOfTheFirstLine) {
    struct Case {
        QByteArray content;
        const char* field;
    };
    const Case cases[] = {
        {"/data/gis/\r\n", "/data/gis/"},
        {"   /lead/blanks/\r\n", "/lead/blanks/"},
        {"/a/b,c/\r\n", "/a/b"},
        {"\"/quoted, with comma/\"\r\n", "/quoted, with comma/"},
        {"/first/\r\n/second/\r\n", "/first/"},
        {"/no/line/end/", "/no/line/end/"},
        {"", ""},
        {"\r\n", ""},
        {"C:\\Data\\Roads\\\r\n", "C:\\Data\\Roads\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FavoriteFolderFile::firstField(c.content).toStdString(), c.field)
            << c.content.toStdString();
    }
}

} // namespace
} // namespace quarvel
