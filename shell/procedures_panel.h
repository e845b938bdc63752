#pragma once

#include <QDockWidget>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidget;
class QTreeWidgetItem;

namespace qlx::shell {

class DocumentWindows;
struct WaitingWindow;

// The Procedures panel: every open document under the file it came from (an export's name,
// then its procedures in export order; an opened file by its name; new documents by their
// captions), with a filter box that narrows the list as you type. Activating an entry
// activates its window (made then when it waits). The list follows the windows as they open, close
// and are renamed. Each opening of an export is an entry of its own; when one file is open more
// than once, its entries say when each was opened.
//
// A converted procedure expands to its outline: its reports, macros and screens and their
// sections, in document order. The entries are made when the procedure is first expanded, or
// when its window becomes the active one (whose procedure the panel expands). Clicking or
// activating an entry shows its heading at the top of the document; as the cursor moves in
// the active document, the entry of the heading it is under is selected.
class ProceduresPanel : public QDockWidget {
    Q_OBJECT

public:
    ProceduresPanel(QMdiArea* area, DocumentWindows& windows, QWidget* parent);

    QLineEdit* const filter;
    QTreeWidget* const tree;

    // Lists the windows again once the changes of the moment are over; while paused (an
    // export opening), not before it is resumed.
    void refresh_soon();
    void set_paused(bool paused);
    // Lists the windows now.
    void refresh();

    // The entry of a window (its procedure's or file's); nullptr when it is not listed.
    QTreeWidgetItem* item_of(const QMdiSubWindow* window) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void apply_filter();
    void mark_active();
    // The window of an entry, nullptr while it waits to be made; reach() makes it.
    QMdiSubWindow* window_of(const QTreeWidgetItem* item) const;
    QMdiSubWindow* reach(const QTreeWidgetItem* item);
    // The entry's window that waits; nullptr for one made.
    WaitingWindow* waiting_of(const QTreeWidgetItem* item) const;
    // Makes the outline entries of a procedure's entry, unless it has them.
    void fill_outline(QTreeWidgetItem* item);
    void expand(QTreeWidgetItem* item);
    // Shows the heading of an outline entry in its document.
    void go_to(QTreeWidgetItem* item);
    // Selects the entry of the heading the active document's cursor is under.
    void follow_cursor();

    QMdiArea* const area_;
    DocumentWindows& windows_;
    // The windows waiting to be made that the list shows, by their entries' keys.
    QHash<quintptr, std::shared_ptr<WaitingWindow>> waiting_;
    QTimer refresh_timer_;
    bool paused_ = false;
    bool stale_ = true;
    QHash<const QMdiSubWindow*, QTreeWidgetItem*> items_;
    QMetaObject::Connection cursor_moves_;
    // The window whose procedure the panel expanded because it became active; collapsed again
    // when another does, unless the user expanded or collapsed it meanwhile.
    QPointer<QMdiSubWindow> expanded_for_active_;
    bool expanding_ = false;  // the panel itself expands or collapses an entry
};

}  // namespace qlx::shell
