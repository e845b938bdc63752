#include "shell/common_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <utility>

namespace qlx::shell {

QString qt_name_filters(const QString& filter) {
    static const QRegularExpression patterns_in_description(QStringLiteral("\\s*\\([^)]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        description.remove(patterns_in_description);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
        }
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

CommonDialog::CommonDialog(QWidget* owner) : owner_(owner) {}

QString CommonDialog::ShowOpen(const QString& filter) {
    return show(Kind::open, filter);
}

QString CommonDialog::ShowSave(const QString& filter) {
    return show(Kind::save, filter);
}

void CommonDialog::set_chooser(Chooser chooser) {
    chooser_ = std::move(chooser);
}

QString CommonDialog::show(Kind kind, const QString& filter) {
    QString chosen;
    if (chooser_) {
        chosen = chooser_(kind, filter);
    } else if (kind == Kind::open) {
        chosen = QFileDialog::getOpenFileName(owner_, {}, folder_, qt_name_filters(filter));
    } else {
        chosen = QFileDialog::getSaveFileName(owner_, {}, folder_, qt_name_filters(filter));
    }
    if (!chosen.isEmpty()) {
        folder_ = QFileInfo(chosen).absolutePath();
    }
    return chosen;
}

}  // namespace qlx::shell
