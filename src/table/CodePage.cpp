#include "CodePage.h"

#include <QStringDecoder>

#include <cstring>

namespace quarvel {
namespace {

// A code page number as Windows and dBASE tools write it.
QString codePageFromNumber(int number) {
    if ((number >= 1250 && number <= 1258) || number == 874) {
        return QStringLiteral("windows-%1").arg(number);
    }
    switch (number) {
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 855:
    case 857:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
        return QStringLiteral("IBM%1").arg(number);
    case 932:
        return QStringLiteral("Shift_JIS");
    case 936:
        return QStringLiteral("GBK");
    case 949:
        return QStringLiteral("windows-949");
    case 950:
        return QStringLiteral("Big5");
    case 65001:
        return QStringLiteral("UTF-8");
    case 10000:
        return QStringLiteral("macintosh");
    case 10007:
        return QStringLiteral("x-mac-cyrillic");
    case 28591:
        return QStringLiteral("ISO-8859-1");
    default:
        if (number >= 28592 && number <= 28599) {
            return QStringLiteral("ISO-8859-%1").arg(number - 28590);
        }
        if (number == 28605) {
            return QStringLiteral("ISO-8859-15");
        }
        return {};
    }
}

bool isKnown(const QString& name) {
    return !name.isEmpty() && QStringDecoder(name.toLatin1().constData()).isValid();
}

} // namespace

QString codePageFromCpg(const QString& cpgText) {
    QString key = cpgText.trimmed().toUpper();
    key.remove(QLatin1Char(' ')).remove(QLatin1Char('-')).remove(QLatin1Char('_'));
    if (key.isEmpty()) {
        return {};
    }
    if (key == QLatin1String("UTF8")) {
        return QStringLiteral("UTF-8");
    }
    if (key == QLatin1String("LATIN1") || key == QLatin1String("88591")) {
        return QStringLiteral("ISO-8859-1");
    }
    if (key.startsWith(QLatin1String("ISO8859")) || key.startsWith(QLatin1String("8859"))) {
        bool ok = false;
        const int part = key.mid(key.startsWith(QLatin1String("ISO")) ? 7 : 4).toInt(&ok);
        const QString name = QStringLiteral("ISO-8859-%1").arg(part);
        if (ok && isKnown(name)) {
            return name;
        }
    }
    for (const char* prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "CP"}) {
        if (key.startsWith(QLatin1String(prefix))) {
            key = key.mid(static_cast<qsizetype>(std::strlen(prefix)));
            break;
        }
    }
    bool number = false;
    const int codePage = key.toInt(&number);
    if (number) {
        const QString name = codePageFromNumber(codePage);
        return isKnown(name) ? name : QString();
    }
    // Anything else may still be a name the decoder knows ("KOI8-R", "Big5").
    const QString asWritten = cpgText.trimmed();
    return isKnown(asWritten) ? asWritten : QString();
}

QString codePageFromLanguageDriver(std::uint8_t driver) {
    int number = 0;
    switch (driver) {
    case 0x01:
    case 0x09:
    case 0x0B:
    case 0x0D:
    case 0x0F:
    case 0x11:
    case 0x15:
    case 0x18:
    case 0x19:
    case 0x1B:
        number = 437;
        break;
    case 0x02:
    case 0x0A:
    case 0x0E:
    case 0x10:
    case 0x12:
    case 0x14:
    case 0x16:
    case 0x1A:
    case 0x1D:
    case 0x25:
    case 0x37:
        number = 850;
        break;
    case 0x03:
    case 0x57:
    case 0x58:
    case 0x59:
        number = 1252;
        break;
    case 0x08:
    case 0x17:
    case 0x66:
        number = 865;
        break;
    case 0x13:
    case 0x7B:
        number = 932;
        break;
    case 0x1C:
    case 0x6C:
        number = 863;
        break;
    case 0x1F:
    case 0x22:
    case 0x23:
    case 0x40:
    case 0x64:
    case 0x87:
        number = 852;
        break;
    case 0x24:
        number = 860;
        break;
    case 0x26:
    case 0x65:
        number = 866;
        break;
    case 0x4D:
    case 0x7A:
        number = 936;
        break;
    case 0x4E:
    case 0x79:
        number = 949;
        break;
    case 0x4F:
    case 0x78:
        number = 950;
        break;
    case 0x50:
    case 0x7C:
        number = 874;
        break;
    case 0x67:
        number = 861;
        break;
    case 0x6A:
    case 0x86:
        number = 737;
        break;
    case 0x6B:
    case 0x88:
        number = 857;
        break;
    case 0x7D:
        number = 1255;
        break;
    case 0x7E:
        number = 1256;
        break;
    case 0x96:
        number = 10007;
        break;
    case 0xC8:
        number = 1250;
        break;
    case 0xC9:
        number = 1251;
        break;
    case 0xCA:
        number = 1254;
        break;
    case 0xCB:
        number = 1253;
        break;
    case 0xCC:
        number = 1257;
        break;
    default:
        return {};
    }
    const QString name = codePageFromNumber(number);
    return isKnown(name) ? name : QString();
}

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        // Plain ASCII, eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            if ((chunk & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        std::uint32_t value = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
            return false;
        }
        p += length;
    }
    return true;
}

std::size_t utf8PieceEnd(std::string_view bytes, std::size_t wanted) {
    if (wanted >= bytes.size()) {
        return bytes.size();
    }
    // A character is a lead byte and at most three continuation bytes (10xxxxxx). Cut before
    // a byte that is no continuation; if four in a row are, the bytes are not UTF-8, and the
    // piece after the cut, starting with a continuation byte, says so.
    for (std::size_t cut = wanted; cut + 3 >= wanted && cut > 0; --cut) {
        if ((static_cast<unsigned char>(bytes[cut]) & 0xC0) != 0x80) {
            return cut;
        }
    }
    return wanted;
}

} // namespace quarvel
