#include "shell/recent_files.h"

#include <QSettings>

#include <utility>

#include "shell/native_paths.h"

namespace qlx::shell {

namespace {

constexpr const char* paths_key = "RecentFiles/Paths";

// Paths are compared as the files they name, so that "a/../b.qlx" and "b.qlx" are one entry.
QString comparable(const QString& path) {
    return absolute_path(path);
}

}  // namespace

RecentFiles::RecentFiles(QString settings_name) : settings_name_(std::move(settings_name)) {}

QStringList RecentFiles::paths() const {
    const QSettings settings(settings_name_, settings_name_);
    QStringList paths = settings.value(paths_key).toStringList();
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
    QSettings settings(settings_name_, settings_name_);
    settings.setValue(paths_key, paths.mid(0, limit));
}

}  // namespace qlx::shell
