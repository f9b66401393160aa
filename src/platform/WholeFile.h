#pragma once

#include <QString>

#include <string>

namespace quarvel {

/**
 * Writes a whole file through a temporary that replaces the file only once it is complete,
 * so an earlier file of that name is never lost to a half-written one. False, with the
 * reason in error, when the file cannot be written.
 */
bool SaveWholeFile(const QString& name, const std::string& content, QString& error);

/** "The file "x" could not be written in <folder>: <reason>." and what to do about it. */
QString CannotWriteMessage(const QString& name, const QString& reason);

} // namespace quarvel
