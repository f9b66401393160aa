#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarvel {

/**
 * The encoding named by the first line of a .cpg file ("UTF-8", "1252", "852",
 * "ISO-8859-1", "ANSI 1251", "CP437" ...), as a name QStringDecoder knows; empty when the
 * text names nothing this program can decode.
 */
QString codePageFromCpg(const QString& cpgText);

/** The encoding of a dBASE language-driver byte; empty for 0 and for unknown drivers. */
QString codePageFromLanguageDriver(std::uint8_t driver);

/** True when the bytes are well-formed UTF-8 (plain ASCII is). */
bool isValidUtf8(std::string_view bytes);

/**
 * Where to cut bytes into pieces that can be checked for UTF-8 one at a time: at wanted, or
 * up to three bytes before it so that no character is cut. Well-formed bytes give well-formed
 * pieces; in others some piece is not well-formed. wanted must be at least 4.
 */
std::size_t utf8PieceEnd(std::string_view bytes, std::size_t wanted);

} // namespace quarvel
