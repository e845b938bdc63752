#include "shell/document_windows.h"

#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <iterator>
#include <ranges>
#include <utility>

#include "shell/window_arrangement.h"

namespace qlx::shell {

DocumentWindows::DocumentWindows(QMdiArea& area, Maker maker)
    : QObject(&area), area_(area), maker_(std::move(maker)) {
    closed_.setSingleShot(true);
    closed_.setInterval(0);
    connect(&closed_, &QTimer::timeout, this, &DocumentWindows::changed);
}

QString DocumentWindows::caption(const Entry& entry) {
    if (entry.waiting != nullptr) {
        return entry.waiting->caption;
    }
    if (entry.window == nullptr) {
        return {};
    }
    const auto* form = qobject_cast<const document::frmDocument*>(entry.window->widget());
    return form != nullptr ? form->caption() : entry.window->windowTitle();
}

bool DocumentWindows::gone(const Entry& entry) {
    if (entry.waiting != nullptr) {
        return entry.waiting->let_go || (entry.waiting->was_made && entry.waiting->made == nullptr);
    }
    return entry.window == nullptr;
}

void DocumentWindows::update() {
    if (making_) {
        return;
    }
    // Closed windows go (the workspace lets a window go as it closes, before it is deleted);
    // those the workspace gained since come at the end, in the order they were added.
    const QList<QMdiSubWindow*> in_area = area_.subWindowList();
    QSet<const QObject*> present;
    present.reserve(in_area.size());
    for (QMdiSubWindow* window : in_area) {
        present.insert(window);
    }
    std::erase_if(entries_, [&](const Entry& entry) {
        if (entry.waiting != nullptr || present.contains(entry.window.data())) {
            return false;
        }
        listed_.remove(entry.window.data());
        return true;
    });
    for (QMdiSubWindow* window : in_area) {
        if (!listed_.contains(window)) {
            listed_.insert(window);
            entries_.push_back({window, nullptr});
            connect(window, &QObject::destroyed, this, [this](QObject* closed) { forget(closed); });
        }
    }
}

void DocumentWindows::forget(QObject* closed) {
    listed_.remove(closed);
    // Said once the window is gone (while it is deleted, pointers to it still point to what
    // is left of it), and once for all that close together.
    closed_.start();
}

void DocumentWindows::move_to_end(const QMdiSubWindow* window) {
    update();
    const auto found = std::ranges::find(entries_, window, [](const Entry& entry) {
        return static_cast<const QMdiSubWindow*>(entry.window.data());
    });
    if (found != entries_.end()) {
        std::rotate(found, found + 1, entries_.end());
    }
}

QList<DocumentWindows::Entry> DocumentWindows::entries() {
    update();
    return {entries_.begin(), entries_.end()};
}

qsizetype DocumentWindows::size() {
    update();
    return static_cast<qsizetype>(entries_.size());
}

qsizetype DocumentWindows::index_of(const QMdiSubWindow* window) {
    update();
    const auto found = std::ranges::find(entries_, window, [](const Entry& entry) {
        return static_cast<const QMdiSubWindow*>(entry.window.data());
    });
    return found == entries_.end() || window == nullptr ? -1 : found - entries_.begin();
}

QMdiSubWindow* DocumentWindows::window(const Entry& entry) {
    return entry.waiting != nullptr ? window(*entry.waiting) : entry.window.data();
}

QMdiSubWindow* DocumentWindows::window(const WaitingWindow& waiting) {
    if (waiting.was_made || waiting.let_go) {
        return waiting.made;
    }
    const auto found = std::ranges::find(entries_, &waiting, [](const Entry& entry) {
        return static_cast<const WaitingWindow*>(entry.waiting.get());
    });
    if (found == entries_.end()) {
        return nullptr;
    }
    // While it is made, the list stays as it is: the window comes in with its entry.
    const auto index = found - entries_.begin();
    const bool was_making = std::exchange(making_, true);
    QMdiSubWindow* made = maker_(*found->waiting);
    making_ = was_making;
    Entry& entry = entries_[static_cast<std::size_t>(index)];
    entry.waiting->made = made;
    entry.waiting->was_made = true;
    const QRect place = entry.waiting->place;
    entry = {made, nullptr};
    --waiting_;
    if (made != nullptr) {
        listed_.insert(made);
        connect(made, &QObject::destroyed, this, [this](QObject* closed) { forget(closed); });
        made->setGeometry(place);
        // Under every window made, as it lay.
        made->lower();
    }
    emit changed();
    return made;
}

void DocumentWindows::add_waiting(std::vector<std::shared_ptr<WaitingWindow>> waiting,
                                  const QMdiSubWindow* before) {
    if (waiting.empty()) {
        return;
    }
    update();
    auto place = std::ranges::find(entries_, before, [](const Entry& entry) {
        return static_cast<const QMdiSubWindow*>(entry.window.data());
    });
    if (before == nullptr) {
        place = entries_.end();
    }
    std::vector<Entry> added;
    added.reserve(waiting.size());
    for (std::shared_ptr<WaitingWindow>& entry : waiting) {
        added.push_back({nullptr, std::move(entry)});
    }
    waiting_ += static_cast<qsizetype>(added.size());
    entries_.insert(place, std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
    emit changed();
}

QList<std::shared_ptr<WaitingWindow>> DocumentWindows::waiting() const {
    QList<std::shared_ptr<WaitingWindow>> result;
    result.reserve(waiting_);
    for (const Entry& entry : entries_) {
        if (entry.waiting != nullptr) {
            result << entry.waiting;
        }
    }
    return result;
}

void DocumentWindows::add_all_again(const std::function<void()>& emptied, const Added& added) {
    update();
    struct Kept {
        Qt::WindowFlags flags;
        QRect place;
        Qt::WindowStates state;
    };
    const QList<QMdiSubWindow*> stack = stacking_order(area_);
    QHash<const QMdiSubWindow*, Kept> kept;
    kept.reserve(stack.size());
    const bool was_making = std::exchange(making_, true);  // the list stays as it is
    // None is made active as the others go.
    area_.setActiveSubWindow(nullptr);
    for (QMdiSubWindow* taken : stack) {
        // Taken out, a window forgets the place it had before it was minimised or maximised.
        const Qt::WindowStates state =
            taken->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized);
        if (state != Qt::WindowNoState) {
            // Disabled, it is not made active: the workspace would then restore the window
            // that is maximised, and maximise this one.
            const bool enabled = taken->isEnabled();
            taken->setEnabled(false);
            taken->setWindowState(taken->windowState() & ~state);
            taken->setEnabled(enabled);
        }
        kept.insert(taken, {taken->windowFlags(), taken->geometry(), state});
        area_.removeSubWindow(taken);
    }
    emptied();
    std::vector<QMdiSubWindow*> made_now;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].waiting != nullptr) {
            // Its window takes the entry's place in the list.
            const QRect place = entries_[i].waiting->place;
            if (QMdiSubWindow* made = window(*entries_[i].waiting)) {
                made_now.push_back(made);
                added(made, place, Qt::WindowNoState);
            }
            continue;
        }
        QMdiSubWindow* back = entries_[i].window;
        const auto found = kept.constFind(back);
        if (back == nullptr || found == kept.cend()) {
            continue;
        }
        area_.addSubWindow(back, found->flags);
        back->setGeometry(found->place);
        added(back, found->place, found->state);
    }
    // Each window added rose to the top: the stack is put back, those made at the bottom.
    for (QMdiSubWindow* made : made_now) {
        made->raise();
    }
    for (QMdiSubWindow* taken : stack) {
        taken->raise();
    }
    making_ = was_making;
}

void DocumentWindows::drop_waiting() {
    if (waiting_ == 0) {
        return;
    }
    for (Entry& entry : entries_) {
        if (entry.waiting != nullptr) {
            // What a search result may still hold of it is its caption.
            entry.waiting->let_go = true;
            entry.waiting->text = nullptr;
            entry.waiting->outline = {};
            entry.waiting = nullptr;
        }
    }
    waiting_ = 0;
    update();
    emit changed();
}

}  // namespace qlx::shell
