#pragma once

#include <QString>
#include <QStringList>

namespace qlx::shell {

// The files opened last, newest first, at most eight, kept in the settings store under
// "RecentFiles/Paths" so that the next start lists them too; and the folder a document was
// last saved in ("RecentFiles/SaveFolder"). Paths are stored as their bytes, so that every
// name comes back exactly as it was (see native_paths.h).
class RecentFiles {
public:
    static constexpr qsizetype limit = 8;

    explicit RecentFiles(QString settings_name);

    QStringList paths() const;
    // Puts the path first, once.
    void add(const QString& path);
    void remove(const QString& path);

    // The folder a document was last saved in; empty before the first save.
    QString save_folder() const;
    void set_save_folder(const QString& folder);

private:
    void store(const QStringList& paths);

    QString settings_name_;
};

}  // namespace qlx::shell
