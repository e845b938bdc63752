#include "shell/procedures_panel.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QTextCursor>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <utility>

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "richtext/windows1252.h"
#include "shell/document_windows.h"
#include "shell/help_window.h"
#include "shell/window_arrangement.h"

namespace qlx::shell {

namespace {

constexpr int window_role = Qt::UserRole;  // the item's window, as quintptr
// The item's window that waits to be made, as quintptr (a key of waiting_).
constexpr int waiting_role = Qt::UserRole + 2;
// An outline entry's paragraph in its document; no value on the other entries.
constexpr int paragraph_role = Qt::UserRole + 1;
constexpr int refresh_delay_ms = 50;

bool is_outline_entry(const QTreeWidgetItem* item) {
    return item->data(0, paragraph_role).isValid();
}

document::frmDocument* form_of(QMdiSubWindow* window) {
    return window != nullptr ? qobject_cast<document::frmDocument*>(window->widget()) : nullptr;
}

}  // namespace

ProceduresPanel::ProceduresPanel(QMdiArea* area, DocumentWindows& windows, QWidget* parent)
    : QDockWidget(tr("Procedures"), parent),
      filter(new QLineEdit),
      tree(new QTreeWidget),
      area_(area),
      windows_(windows) {
    setObjectName(QStringLiteral("procedures_panel"));
    set_help_page(this, help_page::outline);
    auto* inside = new QWidget;
    auto* layout = new QVBoxLayout(inside);
    layout->setContentsMargins(2, 2, 2, 2);
    filter->setObjectName(QStringLiteral("procedures_filter"));
    filter->setPlaceholderText(tr("Filter"));
    filter->setClearButtonEnabled(true);
    tree->setObjectName(QStringLiteral("procedures_list"));
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    layout->addWidget(filter);
    layout->addWidget(tree);
    setWidget(inside);
    refresh_timer_.setSingleShot(true);
    refresh_timer_.setInterval(refresh_delay_ms);
    connect(&refresh_timer_, &QTimer::timeout, this, &ProceduresPanel::refresh);
    connect(filter, &QLineEdit::textChanged, this, &ProceduresPanel::apply_filter);
    connect(tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (is_outline_entry(item)) {
            go_to(item);
        } else if (QMdiSubWindow* window = reach(item)) {
            bring_forward(*area_, window);
        }
    });
    // One click on a heading is enough to go there.
    connect(tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (is_outline_entry(item)) {
            go_to(item);
        }
    });
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        fill_outline(item);
        if (!expanding_ && window_of(item) == expanded_for_active_) {
            expanded_for_active_ = nullptr;  // the user's now
        }
    });
    connect(tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!expanding_ && window_of(item) == expanded_for_active_) {
            expanded_for_active_ = nullptr;
        }
    });
    connect(area_, &QMdiArea::subWindowActivated, this, &ProceduresPanel::mark_active);
    connect(&windows_, &DocumentWindows::changed, this, &ProceduresPanel::refresh_soon);
    // Enter in the filter box goes to the first entry left.
    connect(filter, &QLineEdit::returnPressed, this, [this] {
        for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            if (QMdiSubWindow* window = reach(*it)) {
                bring_forward(*area_, window);
                return;
            }
        }
    });
}

void ProceduresPanel::refresh_soon() {
    stale_ = true;
    if (!paused_ && isVisible()) {
        refresh_timer_.start();
    }
}

void ProceduresPanel::set_paused(bool paused) {
    paused_ = paused;
    if (!paused_ && stale_) {
        refresh_soon();
    }
}

void ProceduresPanel::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    if (stale_) {
        refresh();
    }
}

WaitingWindow* ProceduresPanel::waiting_of(const QTreeWidgetItem* item) const {
    const auto key = item->data(0, waiting_role).value<quintptr>();
    const auto found = key == 0 ? waiting_.constEnd() : waiting_.constFind(key);
    return found == waiting_.constEnd() ? nullptr : found->get();
}

QMdiSubWindow* ProceduresPanel::window_of(const QTreeWidgetItem* item) const {
    if (const WaitingWindow* waiting = waiting_of(item)) {
        return waiting->made;
    }
    const auto pointer = item->data(0, window_role).value<quintptr>();
    if (pointer == 0) {
        return nullptr;
    }
    // Only a window that is still in the workspace.
    for (QMdiSubWindow* window : area_->subWindowList()) {
        if (reinterpret_cast<quintptr>(window) == pointer) {
            return window;
        }
    }
    return nullptr;
}

QMdiSubWindow* ProceduresPanel::reach(const QTreeWidgetItem* item) {
    if (const WaitingWindow* waiting = waiting_of(item)) {
        return windows_.window(*waiting);
    }
    return window_of(item);
}

QTreeWidgetItem* ProceduresPanel::item_of(const QMdiSubWindow* window) const {
    return items_.value(window, nullptr);
}

void ProceduresPanel::refresh() {
    refresh_timer_.stop();
    stale_ = false;
    tree->setUpdatesEnabled(false);
    // The procedures the user has open in the list stay open.
    QSet<quintptr> expanded;
    for (auto it = items_.cbegin(); it != items_.cend(); ++it) {
        if (it.value()->isExpanded() && it.key() != expanded_for_active_) {
            expanded.insert(reinterpret_cast<quintptr>(it.key()));
        }
    }
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (const WaitingWindow* waiting = waiting_of(*it);
            waiting != nullptr && (*it)->isExpanded() && !is_outline_entry(*it)) {
            // Made since, it is the window's.
            expanded.insert(waiting->made != nullptr
                                ? reinterpret_cast<quintptr>(waiting->made.data())
                                : reinterpret_cast<quintptr>(waiting));
        }
    }
    expanded_for_active_ = nullptr;
    items_.clear();
    tree->clear();
    waiting_.clear();
    // One group per opening of an export: by its path and when it was opened.
    std::map<std::pair<QString, QDateTime>, QTreeWidgetItem*> exports;
    std::map<QString, int> openings;  // of each path
    QList<QTreeWidgetItem*> top;
    QList<QTreeWidgetItem*> to_expand;
    for (const DocumentWindows::Entry& entry : windows_.entries()) {
        const std::shared_ptr<WaitingWindow>& waiting = entry.waiting;
        QMdiSubWindow* const window = entry.window;
        const auto* form = window != nullptr
                               ? qobject_cast<const document::frmDocument*>(window->widget())
                               : nullptr;
        if (form == nullptr && waiting == nullptr) {
            continue;
        }
        const document::frmDocument::Source& source =
            waiting != nullptr ? waiting->source : form->source();
        const QString caption = waiting != nullptr ? waiting->caption : form->caption();
        const bool has_outline =
            waiting != nullptr ? !waiting->outline.empty() : !form->outline().empty();
        const auto key = waiting != nullptr ? reinterpret_cast<quintptr>(waiting.get())
                                            : reinterpret_cast<quintptr>(window);
        // A procedure by its name, an opened file by the file's name, a new document by its
        // caption.
        const QString name = source.procedure == 0 && !source.path.isEmpty()
                                 ? QFileInfo(source.path).fileName()
                                 : caption;
        auto* item = new QTreeWidgetItem(QStringList{name});
        if (waiting != nullptr) {
            item->setData(0, waiting_role, QVariant::fromValue(key));
            waiting_.insert(key, waiting);
        } else {
            item->setData(0, window_role, QVariant::fromValue(key));
            items_.insert(window, item);
        }
        if (source.procedure == 0) {
            item->setToolTip(0, QDir::toNativeSeparators(source.path));
            top << item;
            continue;
        }
        if (has_outline) {
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            if (expanded.contains(key)) {
                to_expand << item;
            }
        }
        QTreeWidgetItem*& group = exports[{source.path, source.opened}];
        if (group == nullptr) {
            group = new QTreeWidgetItem(QStringList{QFileInfo(source.path).fileName()});
            group->setToolTip(0, QDir::toNativeSeparators(source.path));
            ++openings[source.path];
            top << group;
        }
        group->addChild(item);
    }
    // A file open more than once: each opening says when it was opened.
    for (const auto& [key, group] : exports) {
        if (openings[key.first] > 1) {
            const QString when = key.second.toString(QStringLiteral("HH:mm:ss"));
            group->setText(0, tr("%1 (opened %2)").arg(group->text(0), when));
            group->setToolTip(0, tr("%1, opened at %2").arg(group->toolTip(0), when));
        }
    }
    tree->addTopLevelItems(top);
    for (QTreeWidgetItem* item : top) {
        item->setExpanded(true);
    }
    for (QTreeWidgetItem* item : to_expand) {
        expand(item);
    }
    apply_filter();
    mark_active();
    tree->setUpdatesEnabled(true);
}

void ProceduresPanel::fill_outline(QTreeWidgetItem* item) {
    if (item->childCount() > 0 || is_outline_entry(item)) {
        return;
    }
    // A window that waits knows its outline too.
    const WaitingWindow* waiting = waiting_of(item);
    const document::frmDocument* form =
        waiting == nullptr || waiting->made != nullptr ? form_of(window_of(item)) : nullptr;
    if (form == nullptr && (waiting == nullptr || waiting->was_made)) {
        return;
    }
    const QVariant window = item->data(0, window_role);
    const QVariant waits = item->data(0, waiting_role);
    QTreeWidgetItem* item_entry = nullptr;  // the report, macro or screen now open
    for (const document::frmDocument::Heading& heading :
         form != nullptr ? form->outline() : waiting->outline) {
        auto* entry = new QTreeWidgetItem(
            QStringList{QString::fromStdString(richtext::windows1252_to_utf8(heading.text))});
        entry->setData(0, window_role, window);
        entry->setData(0, waiting_role, waits);
        entry->setData(0, paragraph_role, heading.paragraph);
        if (heading.level >= 2 && item_entry != nullptr) {
            item_entry->addChild(entry);
        } else {
            item->addChild(entry);
            item_entry = heading.level == 1 ? entry : item_entry;
        }
    }
}

void ProceduresPanel::expand(QTreeWidgetItem* item) {
    fill_outline(item);
    expanding_ = true;
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i) {
        item->child(i)->setExpanded(true);
    }
    expanding_ = false;
}

void ProceduresPanel::go_to(QTreeWidgetItem* item) {
    QMdiSubWindow* window = reach(item);
    document::frmDocument* form = form_of(window);
    if (form == nullptr) {
        return;
    }
    bring_forward(*area_, window);
    form->show_paragraph(item->data(0, paragraph_role).toInt());
    tree->setCurrentItem(item);
}

void ProceduresPanel::apply_filter() {
    const QString wanted = filter->text().trimmed();
    const auto shown = [&](const QTreeWidgetItem* item) {
        return wanted.isEmpty() || item->text(0).contains(wanted, Qt::CaseInsensitive);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->childCount() == 0) {
            item->setHidden(!shown(item));
            continue;
        }
        // An export whose name matches shows all its procedures.
        const bool whole = shown(item);
        bool any = false;
        for (int c = 0; c < item->childCount(); ++c) {
            const bool child_shown = whole || shown(item->child(c));
            item->child(c)->setHidden(!child_shown);
            any = any || child_shown;
        }
        item->setHidden(!any);
    }
}

void ProceduresPanel::mark_active() {
    if (stale_) {
        return;
    }
    QObject::disconnect(cursor_moves_);
    QMdiSubWindow* active = area_->currentSubWindow();
    // The procedure expanded for the window active before closes again.
    if (expanded_for_active_ != nullptr && expanded_for_active_ != active) {
        if (QTreeWidgetItem* item = item_of(expanded_for_active_)) {
            expanding_ = true;
            item->setExpanded(false);
            expanding_ = false;
        }
        expanded_for_active_ = nullptr;
    }
    QTreeWidgetItem* item = item_of(active);
    if (item == nullptr) {
        return;
    }
    if (const document::frmDocument* form = form_of(active)) {
        if (!form->outline().empty() && !item->isExpanded()) {
            expand(item);
            expanded_for_active_ = active;
        }
        cursor_moves_ = connect(form->RichTextBox1(), &QTextEdit::cursorPositionChanged, this,
                                &ProceduresPanel::follow_cursor);
    }
    tree->setCurrentItem(item);
    follow_cursor();
}

void ProceduresPanel::follow_cursor() {
    QMdiSubWindow* active = area_->currentSubWindow();
    QTreeWidgetItem* item = item_of(active);
    const document::frmDocument* form = form_of(active);
    if (item == nullptr || form == nullptr) {
        return;
    }
    // While its text waits, the cursor is at the start.
    const int here =
        form->text_deferred() ? 0 : form->RichTextBox1()->textCursor().blockNumber();
    const auto above = [here](const QTreeWidgetItem* entry) {
        return entry->data(0, paragraph_role).toInt() <= here;
    };
    // The last heading at or above the cursor's paragraph, among the entries shown (a
    // section's entry comes before the next item's).
    QTreeWidgetItem* under = item;
    for (int i = 0; item->isExpanded() && i < item->childCount() && above(item->child(i)); ++i) {
        QTreeWidgetItem* entry = item->child(i);
        under = entry;
        for (int c = 0; entry->isExpanded() && c < entry->childCount() && above(entry->child(c));
             ++c) {
            under = entry->child(c);
        }
    }
    tree->setCurrentItem(under);
    tree->scrollToItem(under);
}

}  // namespace qlx::shell
