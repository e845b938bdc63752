#include "shell/procedures_panel.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

#include "document/frm_document.h"

namespace qlx::shell {

namespace {

constexpr int window_role = Qt::UserRole;  // the item's window, as quintptr
constexpr int refresh_delay_ms = 50;

}  // namespace

ProceduresPanel::ProceduresPanel(QMdiArea* area, QWidget* parent)
    : QDockWidget(tr("Procedures"), parent),
      filter(new QLineEdit),
      tree(new QTreeWidget),
      area_(area) {
    setObjectName(QStringLiteral("procedures_panel"));
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
        if (QMdiSubWindow* window = window_of(item)) {
            area_->setActiveSubWindow(window);
        }
    });
    connect(area_, &QMdiArea::subWindowActivated, this, &ProceduresPanel::mark_active);
    // Enter in the filter box goes to the first entry left.
    connect(filter, &QLineEdit::returnPressed, this, [this] {
        for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            if (QMdiSubWindow* window = window_of(*it)) {
                area_->setActiveSubWindow(window);
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

QMdiSubWindow* ProceduresPanel::window_of(const QTreeWidgetItem* item) const {
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

void ProceduresPanel::refresh() {
    refresh_timer_.stop();
    stale_ = false;
    tree->setUpdatesEnabled(false);
    tree->clear();
    std::map<QString, QTreeWidgetItem*> exports;  // by the export's path
    QList<QTreeWidgetItem*> top;
    for (QMdiSubWindow* window : area_->subWindowList()) {
        const auto* form = qobject_cast<const document::frmDocument*>(window->widget());
        if (form == nullptr) {
            continue;
        }
        const document::frmDocument::Source& source = form->source();
        // A procedure by its name, an opened file by the file's name, a new document by its
        // caption.
        const QString name = source.procedure == 0 && !source.path.isEmpty()
                                 ? QFileInfo(source.path).fileName()
                                 : form->caption();
        auto* item = new QTreeWidgetItem(QStringList{name});
        item->setData(0, window_role, QVariant::fromValue(reinterpret_cast<quintptr>(window)));
        if (source.procedure == 0) {
            item->setToolTip(0, QDir::toNativeSeparators(source.path));
            top << item;
            continue;
        }
        QTreeWidgetItem*& group = exports[source.path];
        if (group == nullptr) {
            group = new QTreeWidgetItem(QStringList{QFileInfo(source.path).fileName()});
            group->setToolTip(0, QDir::toNativeSeparators(source.path));
            top << group;
        }
        group->addChild(item);
    }
    tree->addTopLevelItems(top);
    tree->expandAll();
    apply_filter();
    mark_active();
    tree->setUpdatesEnabled(true);
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
    const auto active = reinterpret_cast<quintptr>(area_->currentSubWindow());
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, window_role).value<quintptr>() == active && active != 0) {
            tree->setCurrentItem(*it);
            tree->scrollToItem(*it);
            return;
        }
    }
}

}  // namespace qlx::shell
