#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct chmFile;

namespace quarvel {

/** One line of a help file's table of contents. */
struct ContentsEntry {
    QString name;  ///< the title shown in the contents list
    QString local; ///< the page it opens, a path inside the help file ("doit.html#rule")
    int depth = 0; ///< 0 for top-level lines, 1 for lines nested one list deeper, and so on
};

/**
 * A compiled HTML help file (.chm) read with chmlib: its pages and pictures, its table of
 * contents and its start page. Only reads; the file stays open while the archive lives.
 */
class ChmArchive {
public:
    ChmArchive() = default;
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    /**
     * Opens the file and reads its table of contents and start page. False when the file
     * is missing, is not a compiled help file, or holds no page to show.
     */
    bool open(const QString& fileName);
    bool isOpen() const { return file_ != nullptr; }

    /** The bytes of one object ("/index.html", "images/chart.png"); empty when absent. */
    QByteArray read(const QString& path) const;
    bool contains(const QString& path) const;

    /** The help file's own title, as its project gave it; may be empty. */
    QString title() const { return title_; }
    /** The page shown first: the project's default topic, else the first contents line. */
    QString startPage() const { return startPage_; }
    const std::vector<ContentsEntry>& contents() const { return contents_; }

    /** The lines of a sitemap contents file (.hhc), in their order, with their nesting. */
    static std::vector<ContentsEntry> parseContents(const QByteArray& sitemap);

private:
    void close();
    QByteArray systemRecord(int code) const;
    static QByteArray objectPath(const QString& path);

    ::chmFile* file_ = nullptr;
    QString title_;
    QString startPage_;
    std::vector<ContentsEntry> contents_;
};

} // namespace quarvel
