#pragma once

#include <QDockWidget>
#include <QTimer>

class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidget;
class QTreeWidgetItem;

namespace qlx::shell {

// The Procedures panel: every open document under the file it came from (an export's name,
// then its procedures in export order; an opened file by its name; new documents by their
// captions), with a filter box that narrows the list as you type. Activating an entry
// activates its window. The list follows the windows as they open, close and are renamed.
class ProceduresPanel : public QDockWidget {
    Q_OBJECT

public:
    ProceduresPanel(QMdiArea* area, QWidget* parent);

    QLineEdit* const filter;
    QTreeWidget* const tree;

    // Lists the windows again once the changes of the moment are over; while paused (an
    // export opening), not before it is resumed.
    void refresh_soon();
    void set_paused(bool paused);
    // Lists the windows now.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void apply_filter();
    void mark_active();
    QMdiSubWindow* window_of(const QTreeWidgetItem* item) const;

    QMdiArea* const area_;
    QTimer refresh_timer_;
    bool paused_ = false;
    bool stale_ = true;
};

}  // namespace qlx::shell
