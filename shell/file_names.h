#pragma once

#include <QFileInfo>
#include <QString>

namespace qlx::shell {

// Whether a file is taken for RTF by its name: the name ends in ".rtf", in any case.
inline bool is_rtf_name(const QString& path) {
    return path.endsWith(QStringLiteral(".rtf"), Qt::CaseInsensitive);
}

// A file name made of a caption: each character that a file name cannot hold (on any of
// the systems the program runs on) becomes "_"; blanks and full stops at either end go.
inline QString file_name_of(const QString& caption) {
    QString name = caption;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) {
            c = QLatin1Char('_');
        }
    }
    while (!name.isEmpty() &&
           (name.front() == QLatin1Char(' ') || name.front() == QLatin1Char('.'))) {
        name.remove(0, 1);
    }
    while (!name.isEmpty() &&
           (name.back() == QLatin1Char(' ') || name.back() == QLatin1Char('.'))) {
        name.chop(1);
    }
    return name;
}

// What the Save command writes: the document's RTF or its text.
enum class SaveFormat { rtf, text };

struct SaveTarget {
    QString path;
    SaveFormat format;
};

// The file and format for a name chosen in the save dialog with the Save filter
// ("RTF Files" 1, "TXT Files" 2, "All Files" 3), for a document that holds formatting
// (`rich`) or not. A name ending in ".rtf" or ".txt", in any case, decides by itself.
// Otherwise the filter decides, and a name without any extension gets the filter's (as the
// dialog adds it); with "All Files" the name stays as it is and the document decides: its
// formatting is never dropped without a word, so only a plain document is saved as text.
inline SaveTarget save_target(const QString& chosen, int filter_index, bool rich) {
    if (is_rtf_name(chosen)) {
        return {chosen, SaveFormat::rtf};
    }
    if (chosen.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
        return {chosen, SaveFormat::text};
    }
    const bool bare = QFileInfo(chosen).suffix().isEmpty();
    switch (filter_index) {
    case 1: return {bare ? chosen + QStringLiteral(".rtf") : chosen, SaveFormat::rtf};
    case 2: return {bare ? chosen + QStringLiteral(".txt") : chosen, SaveFormat::text};
    default: return {chosen, rich ? SaveFormat::rtf : SaveFormat::text};
    }
}

}  // namespace qlx::shell
