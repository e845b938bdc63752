#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <utility>

class QWidget;

namespace qlx::shell {

// The main window's one file dialog. Filters are written the Windows way,
// "Description|pattern|Description|pattern", patterns of one entry separated by ";".
// The folder of the last chosen file is kept for the next use.
class CommonDialog {
public:
    enum class Kind { open, save, folder };

    explicit CommonDialog(QWidget* owner);

    // The chosen file's path; empty when the user cancels.
    QString ShowOpen(const QString& filter);
    // As ShowOpen; asks before an existing file is replaced. While the user types a name
    // without extension, the extension of the chosen filter is added.
    QString ShowSave(const QString& filter);
    // A folder, existing or made in the dialog; empty when the user cancels. The dialog starts
    // in InitDir, or in the folder of the file last chosen.
    QString ShowFolder();

    // The name and the folder the next dialog starts with, when not empty (otherwise no name,
    // and the folder of the file last chosen); each is used by one dialog only.
    QString FileName;
    QString InitDir;
    // The title of the dialogs shown next; empty for the platform's own ("Open", "Save As").
    QString DialogTitle;

    // The filter chosen in the dialog last shown, from 1. A dialog starts with the filter
    // chosen the last time the same filters were shown (at first the first one).
    int FilterIndex = 1;

    // What a chooser answers: a path (empty to cancel) and the filter chosen with it, from 1;
    // 0 leaves the filter the dialog starts with.
    struct Choice {
        Choice(QString chosen_path = {}, int chosen_filter = 0)  // NOLINT: a path alone will do
            : path(std::move(chosen_path)), filter_index(chosen_filter) {}
        QString path;
        int filter_index;
    };
    // Answers in place of the dialogs (tests), which may look at FileName and InitDir. An
    // empty chooser brings the dialogs back.
    using Chooser = std::function<Choice(Kind kind, const QString& filter)>;
    void set_chooser(Chooser chooser);

private:
    QString show(Kind kind, const QString& filter);

    QWidget* owner_;
    QString folder_;
    QHash<QString, int> filter_indexes_;  // by the filters shown
    Chooser chooser_;
};

// The filter in Qt's form: "Description (pattern pattern);;...".
QString qt_name_filters(const QString& filter);

}  // namespace qlx::shell
