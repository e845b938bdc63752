#pragma once

#include <QString>

#include <filesystem>
#include <string>

class QByteArray;
class QUrl;

// Paths of the program travel as QString in the system's own form: on Windows the wide name
// as it is; elsewhere the name's UTF-8, with each byte that is not UTF-8 carried as the lone
// surrogate U+DC80 + byte. So every name, whatever its bytes, reaches the file system as it
// was given, and shows readably through display_path.
namespace qlx::shell {

// The path of a file as the system names it.
QString path_from_native(const std::filesystem::path& path);
// The file system's path for one of the program's paths.
std::filesystem::path native_path(const QString& path);
// The path of a local file that a drop or a link names; empty for any other URL.
QString path_from_url(const QUrl& url);
// The path made absolute against the working folder (nothing is looked up on disk).
QString absolute_path(const QString& path);
// The folder a file is in, as an absolute path.
QString folder_of(const QString& path);
// A path for people to read: what has no Unicode reading shows as U+FFFD.
QString display_path(const QString& path);
// A path as messages show it: readable, with the system's separators.
QString message_path(const QString& path);
// A path as bytes that give it back exactly (path_from_bytes), for storing it where text
// would lose what is not Unicode (the settings store): elsewhere than on Windows the name's
// own bytes, on Windows its UTF-8.
QByteArray path_to_bytes(const QString& path);
QString path_from_bytes(const QByteArray& bytes);
// Text of the core (UTF-8) as a QString.
QString from_utf8(const std::string& text);

}  // namespace qlx::shell
