#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "document/frm_document.h"
#include "document/rich_text_box.h"

class QMdiArea;
class QMdiSubWindow;

namespace qlx::shell {

// A document window not made yet: what the lists show of it, where it lies, and what its
// window is made with.
struct WaitingWindow {
    QString caption;
    document::frmDocument::Source source;
    std::vector<document::frmDocument::Heading> outline;
    std::shared_ptr<document::RichTextBox::DeferredText> text;
    QRect place;  // in the workspace
    // Once made, its window (nullptr again when that closed); or let go unmade.
    QPointer<QMdiSubWindow> made;
    bool was_made = false;
    bool let_go = false;
};

// Every window of the workspace in its order: the order they opened in, an export's in the
// order of its procedures. An export of thousands of procedures opens cascaded, where all but
// the last few lie wholly under others; making each window would take most of the opening.
// So the first ones of a large export wait to be made: each is an entry, listed with the
// windows in its place, lying under every window made, and made when it is reached (the
// Window menu, More Windows..., Next Window, the Procedures panel, Find All's results), when
// nothing covers it any more, or when the documents become tabs.
class DocumentWindows : public QObject {
    Q_OBJECT

public:
    // A window of the list: made (`window`) or waiting (`waiting`).
    struct Entry {
        QPointer<QMdiSubWindow> window;
        std::shared_ptr<WaitingWindow> waiting;
    };
    // Makes the window of an entry, in the workspace, hidden; it may take what the entry holds.
    using Maker = std::function<QMdiSubWindow*(WaitingWindow& waiting)>;

    DocumentWindows(QMdiArea& area, Maker maker);

    // An entry's caption as the lists show it: its document's, without the edited marker.
    static QString caption(const Entry& entry);
    // Whether an entry's window has closed, or the entry was let go before it was made.
    static bool gone(const Entry& entry);

    // The windows in their order.
    QList<Entry> entries();
    qsizetype size();
    // The place of a window in the order; -1 when it is not there.
    qsizetype index_of(const QMdiSubWindow* window);
    // An entry's window: made now when it waits, at its place and under every window made
    // (the window made since for an entry listed before); nullptr once it has gone.
    QMdiSubWindow* window(const Entry& entry);
    QMdiSubWindow* window(const WaitingWindow& waiting);

    // Adds entries that wait, in their order, before this window (at the end without one).
    void add_waiting(std::vector<std::shared_ptr<WaitingWindow>> waiting,
                     const QMdiSubWindow* before);
    // Puts a window made at the end of the order (as the workspace puts one added again).
    void move_to_end(const QMdiSubWindow* window);
    // Those waiting, from the bottom of the stack up (in their order).
    QList<std::shared_ptr<WaitingWindow>> waiting() const;
    bool has_waiting() const { return waiting_ > 0; }
    // What a window was as it was taken out of the workspace: its place (its normal one when
    // it was minimised or maximised) and those two states; a window that waited, its place.
    using Added =
        std::function<void(QMdiSubWindow* window, const QRect& place, Qt::WindowStates state)>;
    // Takes every window out of the workspace, lets `emptied` run, and adds every window back
    // in the documents' order (the workspace's tabs take its order), making those that wait.
    // Each comes back hidden, neither minimised nor maximised, and `added` is told of it. The
    // windows keep their order in the stack, above those made.
    void add_all_again(const std::function<void()>& emptied, const Added& added);
    // Lets every waiting entry go, unmade.
    void drop_waiting();

signals:
    // Entries that wait came, went or were made, or windows closed (said once they are gone).
    void changed();

private:
    // Takes in the windows the workspace gained, and lets the closed ones go.
    void update();
    void forget(QObject* closed);

    QMdiArea& area_;
    Maker maker_;
    std::vector<Entry> entries_;
    QSet<const QObject*> listed_;  // the windows among the entries
    qsizetype waiting_ = 0;
    bool making_ = false;
    QTimer closed_;  // says `changed` once windows have closed
};

}  // namespace qlx::shell
