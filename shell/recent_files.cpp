#include "shell/recent_files.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>
#include <QVariantList>

#include <utility>

#include "shell/native_paths.h"

namespace qlx::shell {

namespace {

constexpr const char* paths_key = "RecentFiles/Paths";
constexpr const char* save_folder_key = "RecentFiles/SaveFolder";

// A stored path: its bytes, or text as earlier versions stored it.
QString stored_path(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? path_from_bytes(value.toByteArray())
                                                   : value.toString();
}

// Paths are compared as the files they name, so that "a/../b.qlx" and "b.qlx" are one entry.
QString comparable(const QString& path) {
    return absolute_path(path);
}

}  // namespace

RecentFiles::RecentFiles(QString settings_name) : settings_name_(std::move(settings_name)) {}

QStringList RecentFiles::paths() const {
    const QSettings settings(settings_name_, settings_name_);
    const QVariant value = settings.value(paths_key);
    // A list of one is stored as its one value.
    const bool single =
        value.typeId() == QMetaType::QByteArray || value.typeId() == QMetaType::QString;
    QStringList paths;
    for (const QVariant& kept : single ? QVariantList{value} : value.toList()) {
        paths << stored_path(kept);
    }
    paths.removeAll(QString());
    if (paths.size() > limit) {
        paths.resize(limit);
    }
    return paths;
}

void RecentFiles::add(const QString& path) {
    const QString file = comparable(path);
    QStringList paths = this->paths();
    paths.removeIf([&](const QString& kept) { return comparable(kept) == file; });
    paths.prepend(file);
    store(paths);
}

void RecentFiles::remove(const QString& path) {
    const QString file = comparable(path);
    QStringList paths = this->paths();
    paths.removeIf([&](const QString& kept) { return comparable(kept) == file; });
    store(paths);
}

void RecentFiles::store(const QStringList& paths) {
    QVariantList stored;
    for (const QString& path : paths.mid(0, limit)) {
        stored << path_to_bytes(path);
    }
    QSettings settings(settings_name_, settings_name_);
    settings.setValue(paths_key, stored);
}

QString RecentFiles::save_folder() const {
    const QSettings settings(settings_name_, settings_name_);
    return stored_path(settings.value(save_folder_key));
}

void RecentFiles::set_save_folder(const QString& folder) {
    QSettings settings(settings_name_, settings_name_);
    settings.setValue(save_folder_key, path_to_bytes(folder));
}

}  // namespace qlx::shell
