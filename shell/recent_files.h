#pragma once

#include <QString>
#include <QStringList>

namespace qlx::shell {

// The files opened last, newest first, at most eight, kept in the settings store under
// "RecentFiles/Paths" so that the next start lists them too.
class RecentFiles {
public:
    static constexpr qsizetype limit = 8;

    explicit RecentFiles(QString settings_name);

    QStringList paths() const;
    // Puts the path first, once.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store(const QStringList& paths);

    QString settings_name_;
};

}  // namespace qlx::shell
