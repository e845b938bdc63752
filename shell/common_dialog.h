#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qlx::shell {

// The main window's one file dialog. Filters are written the Windows way,
// "Description|pattern|Description|pattern", patterns of one entry separated by ";".
// The folder of the last chosen file is kept for the next use.
class CommonDialog {
public:
    enum class Kind { open, save };

    explicit CommonDialog(QWidget* owner);

    // The chosen file's path; empty when the user cancels.
    QString ShowOpen(const QString& filter);
    // As ShowOpen; asks before an existing file is replaced.
    QString ShowSave(const QString& filter);

    // Answers in place of the dialogs (tests). An empty chooser brings the dialogs back.
    using Chooser = std::function<QString(Kind kind, const QString& filter)>;
    void set_chooser(Chooser chooser);

private:
    QString show(Kind kind, const QString& filter);

    QWidget* owner_;
    QString folder_;
    Chooser chooser_;
};

// The filter in Qt's form: "Description (pattern pattern);;...".
QString qt_name_filters(const QString& filter);

}  // namespace qlx::shell
