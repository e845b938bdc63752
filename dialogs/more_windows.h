#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

namespace qlx::dialogs {

// The Window menu's "More Windows...": every document window's caption, in the order the
// windows were opened, narrowed to those holding what is typed in the filter box; Enter or a
// double-click chooses one.
class MoreWindowsDialog : public QDialog {
    Q_OBJECT

public:
    // `current`: the index of the active window, selected at first; -1 for none.
    MoreWindowsDialog(const QStringList& captions, int current, QWidget* owner = nullptr);

    // The index (into the captions) of the window chosen; -1 when none is.
    int chosen() const;

    QLineEdit* filter;
    QListWidget* windows;

protected:
    // Up and Down in the filter box move through the list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void narrow(const QString& text);
};

}  // namespace qlx::dialogs
