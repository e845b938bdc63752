#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "document/text_finder.h"
#include "shell/find_bar.h"
#include "shell/find_results.h"
#include "shell/frm_main.h"
#include "shell/window_arrangement.h"

namespace qlx::shell {

void frmMain::create_find() {
    find_bar_ = new FindBar(this);
    addToolBar(Qt::BottomToolBarArea, find_bar_);
    find_bar_->hide();
    connect(find_bar_, &FindBar::next_requested, this, [this] { find_in_active_document(false); });
    connect(find_bar_, &FindBar::previous_requested, this,
            [this] { find_in_active_document(true); });
    connect(find_bar_, &FindBar::all_requested, this, &frmMain::find_in_all_documents);
    connect(find_bar_, &FindBar::closed, this, [this] {
        if (document::frmDocument* form = active_document()) {
            form->RichTextBox1()->setFocus(Qt::OtherFocusReason);
        }
    });
    find_results_ = new FindResults(this);
    addDockWidget(Qt::BottomDockWidgetArea, find_results_);
    find_results_->hide();
    connect(find_results_, &FindResults::result_chosen, this, &frmMain::show_found);
}

void frmMain::mnuEditFind_Click() {
    // A selection within one line is what the user most likely looks for.
    QString selected;
    if (const document::frmDocument* form = active_document();
        form != nullptr && !form->RichTextBox1()->text_deferred()) {
        selected = form->RichTextBox1()->textCursor().selectedText();
        if (selected.contains(QChar::ParagraphSeparator) || selected.size() > 200) {
            selected.clear();
        }
    }
    find_bar_->open(selected);
}

void frmMain::mnuEditFindNext_Click() {
    if (find_bar_->text->text().isEmpty()) {
        mnuEditFind_Click();
        return;
    }
    find_in_active_document(false);
}

void frmMain::mnuEditFindPrevious_Click() {
    if (find_bar_->text->text().isEmpty()) {
        mnuEditFind_Click();
        return;
    }
    find_in_active_document(true);
}

void frmMain::find_in_active_document(bool backward) {
    document::frmDocument* form = active_document();
    const QString text = find_bar_->text->text();
    if (text.isEmpty()) {
        find_bar_->outcome->clear();
        return;
    }
    if (form == nullptr) {
        find_bar_->outcome->setText(tr("No document is open"));
        return;
    }
    switch (document::find_in_box(*form->RichTextBox1(), text, find_bar_->options(), backward)) {
        case document::FindOutcome::found:
            find_bar_->outcome->clear();
            break;
        case document::FindOutcome::wrapped:
            find_bar_->outcome->setText(backward ? tr("Went on from the end")
                                                 : tr("Went on from the start"));
            break;
        case document::FindOutcome::none:
            find_bar_->outcome->setText(tr("No matches"));
            break;
    }
}

void frmMain::find_in_all_documents() {
    const QString text = find_bar_->text->text();
    if (text.isEmpty()) {
        return;
    }
    find_results_->search(*document_windows_, text, find_bar_->options());
}

void frmMain::show_found(QMdiSubWindow* window, std::size_t line, std::size_t column,
                         std::size_t length) {
    auto* form = qobject_cast<document::frmDocument*>(window->widget());
    if (form == nullptr) {
        return;
    }
    bring_forward(*mdiArea, window);
    form->RichTextBox1()->select_found(line, column, length);
    form->RichTextBox1()->setFocus(Qt::OtherFocusReason);
}

}  // namespace qlx::shell
