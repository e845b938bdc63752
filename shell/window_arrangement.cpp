#include "shell/window_arrangement.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QRect>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>

#include "shell/document_windows.h"

#include <algorithm>
#include <memory>
#include <ranges>
#include <utility>

namespace qlx::shell {

namespace {

// How long the windows that come into sight are shown before the events waiting meanwhile run.
constexpr qint64 show_slice_ms = 25;

enum class Direction { down, across };

// The windows, the active one first and then the others from the top of the stack down.
QList<QMdiSubWindow*> windows_from_top(const QMdiArea& area, bool minimised) {
    QList<QMdiSubWindow*> result;
    const QList<QMdiSubWindow*> stack = stacking_order(area);
    for (QMdiSubWindow* window : stack | std::views::reverse) {
        if (window->isMinimized() == minimised) {
            result << window;
        }
    }
    return result;
}

// Splits `length` into `count` parts that differ by at most one, larger parts first.
int part(int length, int count, int index) {
    return length / count + (index < length % count ? 1 : 0);
}

// The smallest window a tiling leaves readable: a title bar and three lines of text high,
// twenty characters wide.
QSize smallest_readable(const QMdiSubWindow& window) {
    const int frame =
        window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QFontMetrics text(window.widget() != nullptr ? window.widget()->font() : window.font());
    return {2 * frame + 20 * text.averageCharWidth(), title + 2 * frame + 3 * text.lineSpacing()};
}

// A cascade's step down and to the right: a title bar's height.
int cascade_step(const QMdiSubWindow& window) {
    return std::max(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 8);
}

// The places of `count` windows in `rows` rows of `columns`, row by row, filling `space`.
QList<QRect> tile_grid(int count, const QRect& space, int rows, int columns) {
    QList<QRect> places;
    places.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int row = i / columns;
        const int column = i % columns;
        // The last row shares the width among the windows it has.
        const int in_row = row == rows - 1 ? count - row * columns : columns;
        int left = space.left();
        for (int c = 0; c < column; ++c) {
            left += part(space.width(), in_row, c);
        }
        int top = space.top();
        for (int r = 0; r < row; ++r) {
            top += part(space.height(), rows, r);
        }
        places << QRect(left, top, part(space.width(), in_row, column),
                        part(space.height(), rows, row));
    }
    return places;
}

void put(QMdiSubWindow& window, const QRect& place) {
    if (window.isMaximized()) {
        window.showNormal();
    }
    window.setGeometry(place);
}

// The windows an arrangement lays out: those made, not minimised, and under them those that
// wait (which are only given their places). When every window made is minimised, the top one
// that waits is made, for the sizes of its title bar and text.
struct Laid {
    QList<QMdiSubWindow*> made;
    QList<std::shared_ptr<WaitingWindow>> waiting;  // from the bottom up

    Laid(DocumentWindows& windows, QList<QMdiSubWindow*> laid)
        : made(std::move(laid)), waiting(windows.waiting()) {
        if (made.isEmpty() && !waiting.isEmpty()) {
            if (QMdiSubWindow* window = windows.window(*waiting.back())) {
                made << window;
            }
            waiting.removeLast();
        }
    }
    int count() const { return static_cast<int>(made.size() + waiting.size()); }
};

void tile(QMdiArea& area, DocumentWindows& documents, Direction direction) {
    const Laid laid(documents, windows_from_top(area, false));
    if (laid.made.isEmpty()) {
        return;
    }
    // From the top down: the active window, the others made, then those that wait.
    const auto place = [&](int i, const QRect& rect) {
        if (i < laid.made.size()) {
            put(*laid.made[i], rect);
        } else {
            laid.waiting[laid.waiting.size() - 1 - (i - laid.made.size())]->place = rect;
        }
    };
    QRect space = area.viewport()->rect();
    const QList<QMdiSubWindow*> icons = windows_from_top(area, true);
    if (!icons.isEmpty()) {
        space.setBottom(space.bottom() - icons.front()->height());
    }
    const int count = laid.count();
    const QSize smallest = smallest_readable(*laid.made.front());
    int rows = count;
    int columns = 1;
    if (direction == Direction::across && space.width() / count >= smallest.width()) {
        rows = 1;
        columns = count;
    } else if (direction == Direction::across || space.height() / count < smallest.height()) {
        // Too many for one each: rows of several, as many rows as stay readable.
        rows = std::clamp(space.height() / std::max(smallest.height(), 1), 1, count);
        columns = (count + rows - 1) / rows;
    }
    // A tile is at least as wide as a title bar is high. More than all the tiles the
    // workspace has room for: the tiles take the first windows, and the others lie under them
    // in turn, each in the place of a tile.
    const int most_columns = std::max(space.width() / cascade_step(*laid.made.front()), 1);
    const int tiles = columns <= most_columns ? count : rows * most_columns;
    const QList<QRect> places =
        tile_grid(tiles, space, rows, columns <= most_columns ? columns : most_columns);
    for (int i = 0; i < count; ++i) {
        place(i, places[i % tiles]);
    }
}

// Each window a title bar's height down and to the right of the one before, all of one size;
// when the next would leave the workspace, back to its top-left corner. Those that wait stay
// under the others.
void cascade(QMdiArea& area, DocumentWindows& documents) {
    QList<QMdiSubWindow*> made;
    for (QMdiSubWindow* window : stacking_order(area)) {
        if (!window->isMinimized()) {
            made << window;
        }
    }
    const Laid laid(documents, made);
    if (laid.made.isEmpty()) {
        return;
    }
    const QRect space = area.viewport()->rect();
    const int step = cascade_step(*laid.made.front());
    // A window covers at least two thirds of the workspace; as many steps as that leaves.
    const int steps = std::max(1, std::min(space.width(), space.height()) / 3 / step);
    const int count = laid.count();
    const int in_run = std::min(count, steps + 1);
    const QSize size(space.width() - (in_run - 1) * step, space.height() - (in_run - 1) * step);
    const auto waiting = static_cast<int>(laid.waiting.size());
    for (int i = 0; i < count; ++i) {
        const int offset = (i % in_run) * step;
        const QRect place(space.topLeft() + QPoint(offset, offset), size);
        if (i < waiting) {
            laid.waiting[i]->place = place;
            continue;
        }
        QMdiSubWindow* window = laid.made[i - waiting];
        put(*window, place);
        window->raise();
    }
    bring_forward(area, laid.made.back());
}

}  // namespace

QList<QPoint> cascaded_places(const QMdiArea& area, const QMdiSubWindow& like, qsizetype count) {
    QList<QPoint> places;
    places.reserve(count);
    const QRect space = area.viewport()->rect();
    const int step = cascade_step(like);
    // Windows larger than the workspace still step down a few times before they go back.
    constexpr int least_steps = 8;
    const QSize room = space.size() - like.size();
    const int last = std::max(std::min(room.width(), room.height()), least_steps * step);
    int offset = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (offset > last) {
            offset = 0;
        }
        places << space.topLeft() + QPoint(offset, offset);
        offset += step;
    }
    return places;
}

namespace {

// In the documents' order (a window made from an entry that waited came last to the
// workspace).
void arrange_icons(QMdiArea& area, DocumentWindows& documents) {
    const QRect space = area.viewport()->rect();
    int left = space.left();
    int bottom = space.bottom() + 1;
    for (const DocumentWindows::Entry& entry : documents.entries()) {
        QMdiSubWindow* const icon = entry.window;
        if (icon == nullptr || !icon->isMinimized()) {
            continue;
        }
        if (left > space.left() && left + icon->width() > space.right() + 1) {
            left = space.left();
            bottom -= icon->height();
        }
        icon->move(left, bottom - icon->height());
        left += icon->width();
    }
}

// The style of the program: the application's own, except that the pictures of windows' title
// bars and window menus are read once. A workspace window asks for them as it is made, and
// the style would read them anew each time (thousands of times for an export's windows).
class SharedTitleBarPictures : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap picture, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (option != nullptr || picture < SP_TitleBarMenuButton ||
            picture > SP_TitleBarContextHelpButton) {
            return QProxyStyle::standardIcon(picture, option, widget);
        }
        auto read = pictures_.constFind(picture);
        if (read == pictures_.constEnd()) {
            read = pictures_.insert(picture, QProxyStyle::standardIcon(picture, nullptr, widget));
        }
        return *read;
    }

private:
    mutable QHash<int, QIcon> pictures_;
};

// Each window's Close has the keys that close the active window (Ctrl+F4): the program keeps
// them on the active window's alone. The keys of every window are in one list, which each
// window's menu goes over whenever it changes, and thousands of windows make that slow.
void keep_keys_while_active(QMdiSubWindow& window, QAction& close) {
    // Ctrl+F4 on every system: under X11 the workspace gives its Close only Ctrl+W.
    QList<QKeySequence> keys = close.shortcuts();
    if (const QKeySequence ctrl_f4(Qt::CTRL | Qt::Key_F4); !keys.contains(ctrl_f4)) {
        keys.prepend(ctrl_f4);
    }
    close.setShortcuts({});
    QObject::connect(&window, &QMdiSubWindow::windowStateChanged, &close,
                     [&close, keys](Qt::WindowStates before, Qt::WindowStates now) {
                         if (before.testFlag(Qt::WindowActive) != now.testFlag(Qt::WindowActive)) {
                             close.setShortcuts(now.testFlag(Qt::WindowActive)
                                                    ? keys
                                                    : QList<QKeySequence>());
                         }
                     });
}

// The close button of a tab, drawn as the style draws those Qt gives each tab.
class TabCloseButton : public QAbstractButton {
public:
    explicit TabCloseButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setToolTip(QTabBar::tr("Close Tab"));
        resize(sizeHint());
    }

    QSize sizeHint() const override {
        ensurePolished();
        return {style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, this),
                style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr, this)};
    }

protected:
    void enterEvent(QEnterEvent* event) override {
        update();
        QAbstractButton::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        update();
        QAbstractButton::leaveEvent(event);
    }
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        if (isEnabled() && underMouse() && !isDown()) {
            option.state |= QStyle::State_Raised;
        }
        if (isDown()) {
            option.state |= QStyle::State_Sunken;
        }
        option.state |= QStyle::State_Selected;  // it is on the current tab
        style()->drawPrimitive(QStyle::PE_IndicatorTabClose, &option, &painter, this);
    }
};

// Keeps a close button on the current tab of a workspace's tab bar (as its child).
class CurrentTabCloser : public QObject {
public:
    CurrentTabCloser(QMdiArea& area, QTabBar& tabs)
        : QObject(&tabs),
          area_(area),
          tabs_(tabs),
          side_(static_cast<QTabBar::ButtonPosition>(
              tabs.style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, &tabs))) {
        connect(&tabs, &QTabBar::currentChanged, this, &CurrentTabCloser::follow);
        // The tab bar may say nothing of a new current tab as one goes: once the workspace
        // has made another window active, the current tab has the button.
        connect(
            &area, &QMdiArea::subWindowActivated, this, [this] { follow(tabs_.currentIndex()); },
            Qt::QueuedConnection);
        follow(tabs.currentIndex());
    }

private:
    // The tab the button is on; -1 when none.
    int holder() const {
        for (int i = 0; button_ != nullptr && i < tabs_.count(); ++i) {
            if (tabs_.tabButton(i, side_) == button_) {
                return i;
            }
        }
        return -1;
    }

    void follow(int current) {
        const int now = holder();
        if (now == current) {
            return;
        }
        if (now >= 0) {
            tabs_.setTabButton(now, side_, nullptr);
        }
        if (current < 0) {
            return;
        }
        if (button_ == nullptr) {
            button_ = new TabCloseButton(&tabs_);
            connect(button_, &QAbstractButton::clicked, this, [this] {
                const QList<QMdiSubWindow*> windows = area_.subWindowList();
                if (const int index = holder(); index >= 0 && index < windows.size()) {
                    windows[index]->close();
                }
            });
            // With its tab, the tab bar deletes it: the current tab is given another.
            connect(
                button_, &QObject::destroyed, this, [this] { follow(tabs_.currentIndex()); },
                Qt::QueuedConnection);
        }
        tabs_.setTabButton(current, side_, button_);
        button_->show();
    }

    QMdiArea& area_;
    QTabBar& tabs_;
    const QTabBar::ButtonPosition side_;
    QPointer<QAbstractButton> button_;
};

}  // namespace

void close_button_on_current_tab(QMdiArea& area, QTabBar& tabs) {
    new CurrentTabCloser(area, tabs);
}

void share_title_bar_pictures() {
    if (dynamic_cast<const SharedTitleBarPictures*>(QApplication::style()) != nullptr) {
        return;
    }
    if (QStyle* own = QStyleFactory::create(QApplication::style()->name())) {
        QApplication::setStyle(new SharedTitleBarPictures(own));
    }
}

QMdiSubWindow* add_window(QMdiArea& area, QWidget* widget, QSize size) {
    constexpr Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowStaysOnTopHint;
    QMdiSubWindow* window = nullptr;
    if (size.isValid()) {
        // Made outside the workspace: a window in it works out its title bar again (the
        // title elided, in the title bar's font) for its widget, for its size and as it is
        // added; outside, only as it is added (some 12% of the time an export's thousands of
        // windows take to be made).
        window = new QMdiSubWindow(nullptr, flags);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWidget(widget);
        window->resize(size);
        area.addSubWindow(window, flags);
    } else {
        window = area.addSubWindow(widget, flags);
    }
    if (QMenu* menu = window->systemMenu()) {
        for (QAction* entry : menu->actions()) {
            if (entry->isCheckable()) {  // Stay on Top, the only entry that is
                menu->removeAction(entry);
            } else if (!entry->shortcuts().isEmpty()) {  // Close, the only one with keys
                keep_keys_while_active(*window, *entry);
            }
        }
    }
    return window;
}

QList<QMdiSubWindow*> stacking_order(const QMdiArea& area) {
    // The workspace's own list in this order looks each window up in its list of windows.
    QList<QMdiSubWindow*> windows;
    for (QObject* child : area.viewport()->children()) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(child);
            window != nullptr && window->mdiArea() == &area) {
            windows << window;
        }
    }
    return windows;
}

QTabBar* workspace_tabs(const QMdiArea& area) {
    if (area.viewMode() != QMdiArea::TabbedView) {
        return nullptr;
    }
    // Its own, not one of a window's (the comparison window's, say).
    return area.findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
}

TabBatch::TabBatch(const QMdiArea& area) : tabs_(workspace_tabs(area)) {
    next_ = tabs_ != nullptr ? tabs_->count() : 0;
}

TabBatch::~TabBatch() {
    if (tabs_ == nullptr) {
        return;
    }
    // Nothing else hides tabs: all are shown (those of windows closed meanwhile are gone).
    for (int i = 0; i < tabs_->count(); ++i) {
        tabs_->setTabVisible(i, true);
    }
}

void TabBatch::added() {
    if (tabs_ == nullptr) {
        return;
    }
    for (int i = next_; i < tabs_->count(); ++i) {
        if (i != tabs_->currentIndex()) {
            tabs_->setTabVisible(i, false);
        }
    }
    next_ = tabs_->count();
}

void bring_forward(QMdiArea& area, QMdiSubWindow* window) {
    if (window == nullptr) {
        return;
    }
    if (window->isHidden()) {
        window->show();
    }
    area.setActiveSubWindow(window);
    // Its tab is the current one, also when the window was active already (the workspace
    // then says nothing to its tabs: one taken out and added again kept no tab current).
    if (QTabBar* tabs = workspace_tabs(area)) {
        tabs->setCurrentIndex(static_cast<int>(area.subWindowList().indexOf(window)));
    }
}

QMdiSubWindow* next_window(const QMdiArea& area, DocumentWindows& windows, bool backward) {
    const QList<DocumentWindows::Entry> entries = windows.entries();
    if (entries.isEmpty()) {
        return nullptr;
    }
    const auto count = entries.size();
    const auto here = windows.index_of(area.currentSubWindow());
    if (here < 0) {
        return windows.window(backward ? entries.back() : entries.front());
    }
    return windows.window(entries[(here + (backward ? count - 1 : 1)) % count]);
}

CoveredWindows::CoveredWindows(QMdiArea& area, DocumentWindows& windows)
    : QObject(&area), area_(area), windows_(windows) {
    soon_.setSingleShot(true);
    soon_.setInterval(0);
    connect(&soon_, &QTimer::timeout, this, &CoveredWindows::update);
    connect(&area_, &QMdiArea::subWindowActivated, this, &CoveredWindows::update_soon);
}

void CoveredWindows::watch(QMdiSubWindow* window) {
    window->installEventFilter(this);
    if (window->widget() != nullptr) {
        window->widget()->installEventFilter(this);
    }
    may_show_.insert(window);
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        may_show_.remove(gone);
        update_soon();
    });
}

void CoveredWindows::may_show(const QMdiSubWindow* window) {
    may_show_.insert(window);
}

void CoveredWindows::update_soon() {
    if (!updating_) {
        soon_.start();
    }
}

void CoveredWindows::set_held(bool held) {
    held_ = held;
    if (!held_) {
        update();
    }
}

bool CoveredWindows::eventFilter(QObject* watched, QEvent* event) {
    // A window's own widget shown makes the window the active one (and the workspace works
    // out every title bar again): not a window this shows beneath the active one.
    if (event->type() == QEvent::Show && updating_ &&
        qobject_cast<QMdiSubWindow*>(watched) == nullptr) {
        return true;
    }
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
        case QEvent::ZOrderChange:
            update_soon();
            break;
        case QEvent::Close:
            may_show_.remove(watched);
            update_soon();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void CoveredWindows::update() {
    soon_.stop();
    if (held_ || updating_) {
        return;
    }
    updating_ = true;
    // The windows from the top of the stack down: each one is hidden when a window above it
    // that is not hidden covers it whole (one covered by a hidden window is covered by the
    // window that hides that one). Tabs show only the active window; the others are reached
    // through their tabs.
    const QList<QMdiSubWindow*> stack = stacking_order(area_);
    QMdiSubWindow* const active = area_.currentSubWindow();
    const bool tabs = area_.viewMode() == QMdiArea::TabbedView;
    QList<QRect> shown_above;
    // Those to show, from the top down, by their places in the stack.
    QList<qsizetype> to_show;
    for (qsizetype i = stack.size() - 1; i >= 0; --i) {
        QMdiSubWindow* window = stack[i];
        if (window->isHidden() && !may_show_.contains(window)) {
            continue;  // closed, or not this one's to show
        }
        const QRect place = window->geometry();
        const bool covered =
            window != active && !window->isMinimized() &&
            (tabs ? active != nullptr : std::ranges::any_of(shown_above, [&](const QRect& over) {
                return over.contains(place);
            }));
        if (covered) {
            if (!window->isHidden()) {
                window->hide();
                may_show_.insert(window);
            }
        } else {
            if (window->isHidden()) {
                to_show << i;
            }
            if (!window->isMinimized()) {
                shown_above << place;
            }
        }
    }
    bool more = false;
    if (!to_show.isEmpty()) {
        // Showing a window takes a while the first time: those on top first, and the others
        // once the events that came meanwhile have run.
        QElapsedTimer showing;
        showing.start();
        qsizetype shown = 0;
        const QSignalBlocker quiet(&area_);
        for (qsizetype i : to_show) {
            if (showing.hasExpired(show_slice_ms)) {
                more = true;
                break;
            }
            // A window shown becomes the active one, and the workspace then goes over every
            // window it has; a disabled one does not.
            QMdiSubWindow* window = stack[i];
            const bool enabled = window->isEnabled();
            window->setEnabled(false);
            window->show();
            window->setEnabled(enabled);
            ++shown;
        }
        // A window shown in the workspace rises and becomes the active one: the active
        // window stays active, and each one shown goes back under the window that was above
        // it (from the top down, so that one is in its place already).
        if (active != nullptr && area_.currentSubWindow() != active) {
            area_.setActiveSubWindow(active);
        }
        for (qsizetype i : to_show.first(shown)) {
            if (i + 1 < stack.size()) {
                stack[i]->stackUnder(stack[i + 1]);
            }
        }
    }
    // Those that wait lie under every window made: one that no window shown covers any more is
    // made now (hidden, and shown the next time round), for a slice of time at a time.
    if (!tabs && windows_.has_waiting()) {
        QElapsedTimer making;
        making.start();
        const QList<std::shared_ptr<WaitingWindow>> waiting = windows_.waiting();
        for (const std::shared_ptr<WaitingWindow>& entry : waiting | std::views::reverse) {
            const QRect place = entry->place;
            if (std::ranges::any_of(shown_above,
                                    [&](const QRect& over) { return over.contains(place); })) {
                continue;
            }
            if (making.hasExpired(show_slice_ms)) {
                more = true;
                break;
            }
            more = windows_.window(*entry) != nullptr || more;
            shown_above << place;
        }
    }
    // The active window closed, and the workspace found none to make active in its place (it
    // passes over hidden windows, and those it would take were hidden under the one that
    // closed): the window now on top becomes the active one, as it would among windows all
    // shown.
    if (area_.currentSubWindow() == nullptr) {
        const QList<QMdiSubWindow*> now = stacking_order(area_);
        const auto top = std::ranges::find_if(now.rbegin(), now.rend(), [](QMdiSubWindow* window) {
            return !window->isHidden();
        });
        if (top != now.rend()) {
            area_.setActiveSubWindow(*top);
        }
    }
    // A hidden window's tab still reaches it.
    if (QTabBar* bar = workspace_tabs(area_)) {
        for (int i = 0; i < bar->count(); ++i) {
            bar->setTabEnabled(i, true);
        }
    }
    updating_ = false;
    if (more) {
        soon_.start();
    }
}

bool HeldDeletions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DeferredDelete) {
        held_ << watched;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void HeldDeletions::release(qint64 ms) {
    QElapsedTimer slice;
    slice.start();
    while (holds()) {
        delete held_[next_++].get();
        if (slice.hasExpired(ms)) {
            break;
        }
    }
}

void arrange(QMdiArea& area, DocumentWindows& windows, Arrangement arrangement) {
    switch (arrangement) {
        case Arrangement::cascade:
            cascade(area, windows);
            break;
        case Arrangement::tile_horizontal:
            tile(area, windows, Direction::down);
            break;
        case Arrangement::tile_vertical:
            tile(area, windows, Direction::across);
            break;
        case Arrangement::arrange_icons:
            arrange_icons(area, windows);
            break;
    }
}

}  // namespace qlx::shell
