#include "shell/common_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

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

QString CommonDialog::ShowFolder() {
    QString chosen;
    if (chooser_) {
        chosen = chooser_(Kind::folder, QString()).path;
    } else {
        chosen = QFileDialog::getExistingDirectory(owner_, DialogTitle,
                                                   InitDir.isEmpty() ? folder_ : InitDir);
    }
    FileName.clear();
    InitDir.clear();
    if (!chosen.isEmpty()) {
        folder_ = QFileInfo(chosen).absolutePath();
    }
    return chosen;
}

void CommonDialog::set_chooser(Chooser chooser) {
    chooser_ = std::move(chooser);
}

namespace {

// The extension of a filter's first pattern, "rtf" for "*.rtf"; empty for "*.*".
QString default_suffix(const QString& name_filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(name_filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

QString CommonDialog::show(Kind kind, const QString& filter) {
    const QStringList name_filters = qt_name_filters(filter).split(QStringLiteral(";;"));
    int index = filter_indexes_.value(filter, 1);
    if (index < 1 || index > name_filters.size()) {
        index = 1;
    }
    QString chosen;
    if (chooser_) {
        const Choice choice = chooser_(kind, filter);
        chosen = choice.path;
        if (choice.filter_index != 0) {
            index = choice.filter_index;
        }
    } else {
        QFileDialog dialog(owner_, DialogTitle, InitDir.isEmpty() ? folder_ : InitDir);
        if (!FileName.isEmpty()) {
            dialog.selectFile(FileName);
        }
        dialog.setNameFilters(name_filters);
        dialog.selectNameFilter(name_filters.value(index - 1));
        if (kind == Kind::save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(default_suffix(name_filters.value(index - 1)));
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog](const QString& name_filter) {
                                 dialog.setDefaultSuffix(default_suffix(name_filter));
                             });
        } else {
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = dialog.selectedFiles().front();
            index = static_cast<int>(name_filters.indexOf(dialog.selectedNameFilter())) + 1;
        }
    }
    FileName.clear();
    InitDir.clear();
    if (!chosen.isEmpty()) {
        folder_ = QFileInfo(chosen).absolutePath();
        FilterIndex = std::max(index, 1);
        filter_indexes_.insert(filter, FilterIndex);
    }
    return chosen;
}

}  // namespace qlx::shell
