#include "ChmArchive.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

#include <chm_lib.h>

namespace quarvel {
namespace {

// A help page or picture is small; anything claiming more is not worth reading whole.
constexpr LONGUINT64 kLargestObject = 64 * 1024 * 1024;

// Record codes of the "#SYSTEM" object that the help compiler writes from the project file.
constexpr int kSystemContentsFile = 0;
constexpr int kSystemDefaultTopic = 2;
constexpr int kSystemTitle = 3;

QString decodeEntities(QString text) {
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

// The text of a "#SYSTEM" record ends at its first NUL.
QString recordText(const QByteArray& record) {
    const qsizetype end = record.indexOf('\0');
    return QString::fromUtf8(end < 0 ? record : record.left(end)).trimmed();
}

int collectContentsFiles(chmFile*, chmUnitInfo* unit, void* context) {
    const QByteArray path(unit->path);
    if (path.endsWith(".hhc") || path.endsWith(".HHC")) {
        *static_cast<QByteArray*>(context) = path;
        return CHM_ENUMERATOR_SUCCESS;
    }
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

ChmArchive::~ChmArchive() {
    close();
}

void ChmArchive::close() {
    if (file_ != nullptr) {
        chm_close(file_);
        file_ = nullptr;
    }
    title_.clear();
    startPage_.clear();
    contents_.clear();
}

QByteArray ChmArchive::objectPath(const QString& path) {
    QByteArray object = path.toUtf8();
    if (!object.startsWith('/')) {
        object.prepend('/');
    }
    return object;
}

bool ChmArchive::contains(const QString& path) const {
    chmUnitInfo unit{};
    return file_ != nullptr &&
           chm_resolve_object(file_, objectPath(path).constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

QByteArray ChmArchive::read(const QString& path) const {
    chmUnitInfo unit{};
    if (file_ == nullptr ||
        chm_resolve_object(file_, objectPath(path).constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.length == 0 || unit.length > kLargestObject) {
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 got =
        chm_retrieve_object(file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (got <= 0) {
        return {};
    }
    bytes.truncate(static_cast<qsizetype>(got));
    return bytes;
}

QByteArray ChmArchive::systemRecord(int code) const {
    // A version number, then records of a 16-bit code, a 16-bit length and the data.
    const QByteArray system = read(QStringLiteral("/#SYSTEM"));
    const auto word = [&system](qsizetype at) {
        return static_cast<int>(static_cast<unsigned char>(system[at])) |
               static_cast<int>(static_cast<unsigned char>(system[at + 1])) << 8;
    };
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const int recordCode = word(at);
        const int length = word(at + 2);
        if (at + 4 + length > system.size()) {
            break;
        }
        if (recordCode == code) {
            return system.mid(at + 4, length);
        }
        at += 4 + length;
    }
    return {};
}

bool ChmArchive::open(const QString& fileName) {
    close();
    file_ = chm_open(QFile::encodeName(fileName).constData());
    if (file_ == nullptr) {
        return false;
    }
    title_ = recordText(systemRecord(kSystemTitle));

    QString contentsFile = recordText(systemRecord(kSystemContentsFile));
    if (contentsFile.isEmpty() || !contains(contentsFile)) {
        QByteArray found;
        chm_enumerate(file_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectContentsFiles,
                      &found);
        contentsFile = QString::fromUtf8(found);
    }
    if (!contentsFile.isEmpty()) {
        contents_ = parseContents(read(contentsFile));
    }

    const QString defaultTopic = recordText(systemRecord(kSystemDefaultTopic));
    if (!defaultTopic.isEmpty() && contains(defaultTopic)) {
        startPage_ = defaultTopic;
    } else {
        for (const ContentsEntry& entry : contents_) {
            if (contains(entry.local.section(QLatin1Char('#'), 0, 0))) {
                startPage_ = entry.local;
                break;
            }
        }
    }
    if (startPage_.isEmpty()) {
        close(); // a help file with nothing to show is as good as none
        return false;
    }
    return true;
}

std::vector<ContentsEntry> ChmArchive::parseContents(const QByteArray& sitemap) {
    static const QRegularExpression tag(QStringLiteral(R"re(<\s*(/?)\s*([A-Za-z]+)([^>]*)>)re"));
    static const QRegularExpression attribute(
        QStringLiteral(R"re(([A-Za-z]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"));

    std::vector<ContentsEntry> entries;
    const QString text = QString::fromUtf8(sitemap);
    int lists = 0;
    bool inSitemapObject = false;
    QString name;
    QString local;
    for (auto tags = tag.globalMatch(text); tags.hasNext();) {
        const QRegularExpressionMatch found = tags.next();
        const bool closing = !found.captured(1).isEmpty();
        const QString element = found.captured(2).toLower();
        QString type;
        QString paramName;
        QString paramValue;
        for (auto attributes = attribute.globalMatch(found.captured(3)); attributes.hasNext();) {
            const QRegularExpressionMatch pair = attributes.next();
            const QString key = pair.captured(1).toLower();
            const QString value =
                decodeEntities(pair.captured(2) + pair.captured(3) + pair.captured(4));
            if (key == QLatin1String("type")) {
                type = value;
            } else if (key == QLatin1String("name")) {
                paramName = value;
            } else if (key == QLatin1String("value")) {
                paramValue = value;
            }
        }
        if (element == QLatin1String("ul")) {
            lists += closing ? -1 : 1;
            lists = std::max(lists, 0);
        } else if (element == QLatin1String("object")) {
            if (!closing) {
                inSitemapObject =
                    type.compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                name.clear();
                local.clear();
            } else if (inSitemapObject) {
                inSitemapObject = false;
                if (!name.isEmpty()) {
                    entries.push_back({name, local, std::max(lists - 1, 0)});
                }
            }
        } else if (element == QLatin1String("param") && inSitemapObject) {
            if (paramName.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
                name = paramValue;
            } else if (paramName.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0) {
                local = paramValue;
            }
        }
    }
    return entries;
}

} // namespace quarvel
