#pragma once

#include <QString>

namespace qlx::shell {

// Whether a file is taken for RTF by its name: the name ends in ".rtf", in any case.
inline bool is_rtf_name(const QString& path) {
    return path.endsWith(QStringLiteral(".rtf"), Qt::CaseInsensitive);
}

}  // namespace qlx::shell
