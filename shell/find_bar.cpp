#include "shell/find_bar.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "shell/help_window.h"

namespace qlx::shell {

FindBar::FindBar(QWidget* parent)
    : QToolBar(tr("Find"), parent),
      text(new QLineEdit),
      match_case(new QCheckBox(tr("Match &case"))),
      whole_words(new QCheckBox(tr("&Whole words"))),
      outcome(new QLabel) {
    setObjectName(QStringLiteral("find_bar"));
    set_help_page(this, help_page::finding);
    setMovable(false);
    setFloatable(false);
    toggleViewAction()->setVisible(false);
    addWidget(new QLabel(tr("Find:")));
    text->setObjectName(QStringLiteral("find_text"));
    text->setClearButtonEnabled(true);
    text->setMinimumWidth(text->fontMetrics().averageCharWidth() * 30);
    text->installEventFilter(this);
    addWidget(text);
    QAction* next = addAction(tr("&Next"), this, &FindBar::next_requested);
    next->setObjectName(QStringLiteral("find_next"));
    next->setToolTip(tr("Find the next match (Enter, F3)"));
    QAction* previous = addAction(tr("&Previous"), this, &FindBar::previous_requested);
    previous->setObjectName(QStringLiteral("find_previous"));
    previous->setToolTip(tr("Find the previous match (Shift+Enter, Shift+F3)"));
    match_case->setObjectName(QStringLiteral("find_match_case"));
    whole_words->setObjectName(QStringLiteral("find_whole_words"));
    addWidget(match_case);
    addWidget(whole_words);
    QAction* all = addAction(tr("Find &All"), this, &FindBar::all_requested);
    all->setObjectName(QStringLiteral("find_all"));
    all->setToolTip(tr("List every match in every open document"));
    outcome->setObjectName(QStringLiteral("find_outcome"));
    outcome->setMinimumWidth(outcome->fontMetrics().averageCharWidth() * 24);
    addWidget(outcome);
    QAction* close = addAction(tr("Close"), this, &FindBar::close_bar);
    close->setObjectName(QStringLiteral("find_close"));
    close->setToolTip(tr("Close the find bar (Escape)"));
    // A new text or option is a new search.
    connect(text, &QLineEdit::textChanged, outcome, &QLabel::clear);
    connect(match_case, &QCheckBox::toggled, outcome, &QLabel::clear);
    connect(whole_words, &QCheckBox::toggled, outcome, &QLabel::clear);
    hide();
}

richtext::SearchOptions FindBar::options() const {
    return {.match_case = match_case->isChecked(), .whole_words = whole_words->isChecked()};
}

void FindBar::open(const QString& initial) {
    if (!initial.isEmpty()) {
        text->setText(initial);
    }
    show();
    text->setFocus(Qt::ShortcutFocusReason);
    text->selectAll();
}

void FindBar::close_bar() {
    hide();
    emit closed();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier) {
                emit previous_requested();
            } else {
                emit next_requested();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close_bar();
            return true;
        }
    }
    return QToolBar::eventFilter(watched, event);
}

}  // namespace qlx::shell
