#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QTimer>

class QMdiArea;
class QMdiSubWindow;
class QTabBar;

namespace qlx::shell {

class DocumentWindows;

// The arrangements of the Window menu, by their codes.
enum class Arrangement {
    cascade = 0,          // overlapping, each one down and to the right of the one before,
                          // back at the top-left when the next would leave the area
    tile_horizontal = 1,  // one above another, each the full width of the area
    tile_vertical = 2,    // side by side, each the full height of the area
    // (When one each would leave the windows smaller than a title bar and three lines of
    // text, or twenty characters wide, both tile in rows of several instead.)
    arrange_icons = 3,  // the minimised windows in rows along the bottom edge
};

// Lays out the document windows of `area`, and gives those that wait (`windows`) their places
// under them. Tiling starts with the active window and leaves the minimised windows, and a
// row for them at the bottom, alone. With no windows nothing happens.
void arrange(QMdiArea& area, DocumentWindows& windows, Arrangement arrangement);

// The places of windows that open together (an export's), in their order, all of the size of
// `like`: each a title bar's height down and to the right of the one before, back at the
// top-left when the next would leave the workspace (after eight steps when they are larger
// than the workspace).
QList<QPoint> cascaded_places(const QMdiArea& area, const QMdiSubWindow& like, qsizetype count);

// Makes the application's style read the pictures of title bars and window menus once for all
// windows (add_window's windows each ask for them). Once is enough; again does nothing.
void share_title_bar_pictures();

// Adds a window to the workspace, hidden. Every window of the workspace stays on top: raising
// one that does not compares every window with every other one, which thousands of windows
// make slow (and one that stays on top would rise above those that do not). So the window
// menu has no "Stay on Top" of its own.
// Given a size, the window has it as it enters (rather than one the workspace works out first).
QMdiSubWindow* add_window(QMdiArea& area, QWidget* widget, QSize size = {});

// The windows from the bottom of the stack to the top.
QList<QMdiSubWindow*> stacking_order(const QMdiArea& area);

// Gives the workspace's current tab (of its tab bar, `tabs`) a button that closes its window,
// and follows the current tab with it. (A button on each tab would lay out every tab again
// as each one is given: minutes for thousands of tabs.)
void close_button_on_current_tab(QMdiArea& area, QTabBar& tabs);

// The workspace's tab bar while its documents are tabs; nullptr otherwise.
QTabBar* workspace_tabs(const QMdiArea& area);

// Qt's tab bar lays out every tab it shows again as each tab is added, so that thousands of
// windows added one after another as tabs take minutes. While a batch lives, the tabs added to
// the workspace are hidden as they come (`added`, after each window or few); when it ends,
// all are shown, laid out once. The current tab stays shown. Outside tabs it does nothing.
class TabBatch {
public:
    explicit TabBatch(const QMdiArea& area);
    ~TabBatch();
    TabBatch(const TabBatch&) = delete;
    TabBatch& operator=(const TabBatch&) = delete;

    void added();

private:
    QPointer<QTabBar> tabs_;
    int next_ = 0;  // the first tab added since it was last told
};

// Makes a window of the workspace the active one, showing it first when it lay hidden under
// the windows above it.
void bring_forward(QMdiArea& area, QMdiSubWindow* window);

// The window after (or before) the active one, in the order of `windows`, round to the first
// (or last), made when it waits; nullptr with no windows.
QMdiSubWindow* next_window(const QMdiArea& area, DocumentWindows& windows, bool backward);

// Holds back the deletion of the objects it watches that ask for it (deleteLater, as a window
// closed with Qt::WA_DeleteOnClose does) until it is released, and then deletes them a slice
// of time at a time.
class HeldDeletions : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Deletes those held for about `ms` milliseconds (one at least); those still held, and
    // any that ask later, wait for the next call.
    void release(qint64 ms);
    // Whether any waits to be deleted.
    bool holds() const { return next_ < held_.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QObject>> held_;
    qsizetype next_ = 0;
};

// Keeps hidden every document window that lies wholly under a window above it, and shows the
// others. What the workspace does for each window it shows (painting clipped against every
// window beside it, placing, fitting titles) grows with the number shown; an export of
// thousands of procedures opens cascaded, where all but a few of them are out of sight.
// A hidden window stays in the workspace's list, and is shown again as soon as anything above
// it moves, closes, is minimised or falls below it (bring_forward shows it at once). The
// active window is never hidden, nor a minimised one. A window that waits to be made (see
// DocumentWindows) is made once nothing shown covers it.
class CoveredWindows : public QObject {
    Q_OBJECT

public:
    CoveredWindows(QMdiArea& area, DocumentWindows& windows);

    // Follows this window's moves, resizes and state from now on.
    void watch(QMdiSubWindow* window);
    // A window of the workspace that was hidden otherwise (taken out and added again) is one
    // this may show again.
    void may_show(const QMdiSubWindow* window);
    // Hides and shows the windows now, or once the events of the moment have run. Windows
    // coming into sight are shown from the top down for a slice of time at a time, the rest
    // once the events that came meanwhile have run.
    void update();
    void update_soon();
    // While held, nothing is hidden or shown (an export's windows being made).
    void set_held(bool held);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiArea& area_;
    DocumentWindows& windows_;
    // The windows this may show when they are hidden: those it watches until they close.
    // (A closed window is hidden until it is deleted, and stays so.)
    QSet<const QObject*> may_show_;
    QTimer soon_;
    bool held_ = false;
    bool updating_ = false;
};

}  // namespace qlx::shell
