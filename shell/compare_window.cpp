#include "shell/compare_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <tuple>
#include <utility>

#include "document/rich_text_adapter.h"
#include "publishing/comparison_report.h"
#include "richtext/html_writer.h"
#include "shell/help_window.h"

namespace qlx::shell {

namespace {

namespace cmp = qlx::comparison;

constexpr int index_role = Qt::UserRole;

const QColor removed_ground(0xFF, 0xE4, 0xE4);
const QColor added_ground(0xE2, 0xFA, 0xE2);
const QColor removed_words(0xFF, 0xAE, 0xAE);
const QColor added_words(0x9C, 0xE6, 0x9C);
const QColor no_line(0xEE, 0xEE, 0xEE);

QString state_text(cmp::ProcedureState state) {
    switch (state) {
        case cmp::ProcedureState::added:
            return CompareWindow::tr("added");
        case cmp::ProcedureState::removed:
            return CompareWindow::tr("removed");
        case cmp::ProcedureState::changed:
            return CompareWindow::tr("changed");
        case cmp::ProcedureState::unchanged:
            break;
    }
    return CompareWindow::tr("unchanged");
}

QFont text_font() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(9);
    return font;
}

// The formats of a line of each kind: its block, its text and its changed words.
struct LineFormats {
    QTextBlockFormat block;
    QTextCharFormat text;
    QTextCharFormat words;
};

LineFormats formats_for(const QColor& ground, const QColor& strong) {
    static const QFont font = text_font();
    LineFormats formats;
    formats.text.setFont(font);
    if (ground != Qt::white) {
        formats.block.setBackground(ground);
        formats.text.setBackground(ground);
    }
    formats.words = formats.text;
    formats.words.setBackground(strong);
    formats.words.setFontWeight(QFont::Bold);
    return formats;
}

// Writes one line: its mark (" ", "-", "+") when `marked`, its text on the line's ground, the
// changed words on a stronger one and in bold.
void write_line(QTextCursor& cursor, const cmp::DiffLine* line, const std::vector<cmp::Span>& words,
                bool marked, bool first) {
    static const LineFormats same = formats_for(Qt::white, Qt::white);
    static const LineFormats removed = formats_for(removed_ground, removed_words);
    static const LineFormats added = formats_for(added_ground, added_words);
    static const LineFormats missing = formats_for(no_line, no_line);
    const LineFormats& formats = line == nullptr                            ? missing
                                 : line->change == cmp::LineChange::removed ? removed
                                 : line->change == cmp::LineChange::added   ? added
                                                                            : same;
    if (first) {
        cursor.setBlockFormat(formats.block);
    } else {
        cursor.insertBlock(formats.block);
    }
    if (line == nullptr) {
        return;
    }
    const QString mark = !marked                                    ? QString()
                         : line->change == cmp::LineChange::removed ? QStringLiteral("-")
                         : line->change == cmp::LineChange::added   ? QStringLiteral("+")
                                                                    : QStringLiteral(" ");
    const std::string_view text = line->text;
    const auto piece = [&](std::size_t from, std::size_t length) {
        return QString::fromUtf8(text.data() + from, static_cast<qsizetype>(length));
    };
    if (words.empty()) {
        cursor.insertText(mark + piece(0, text.size()), formats.text);
        return;
    }
    std::size_t at = 0;
    QString before = mark;
    for (const cmp::Span& span : words) {
        cursor.insertText(before + piece(at, span.start - at), formats.text);
        cursor.insertText(piece(span.start, span.length), formats.words);
        before.clear();
        at = span.start + span.length;
    }
    cursor.insertText(piece(at, text.size() - at), formats.text);
}

// A widget that holds these, one above another, edge to edge.
QWidget* column_of(std::initializer_list<QWidget*> widgets) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) {
        layout->addWidget(widget);
    }
    return column;
}

}  // namespace

CompareWindow::CompareWindow(std::unique_ptr<Comparison> comparison, QWidget* parent)
    : QWidget(parent),
      header(new QLabel),
      filter(new QLineEdit),
      show_unchanged(new QCheckBox(tr("Show &unchanged"))),
      side_by_side(new QCheckBox(tr("&Side by side"))),
      list(new QTreeWidget),
      view(new QTextEdit),
      new_view(new QTextEdit),
      old_heading(new QLabel),
      new_heading(new QLabel),
      summary(new QLabel),
      scope(new QComboBox),
      comparison_(std::move(comparison)) {
    setWindowTitle(tr("Compare %1 with %2").arg(comparison_->old_name, comparison_->new_name));
    set_help_page(this, help_page::comparing);
    header->setObjectName(QStringLiteral("compare_header"));
    header->setWordWrap(true);
    header->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QStringList header_lines;
    for (const cmp::HeaderChange& change : comparison_->header) {
        header_lines << QString::fromStdString(cmp::describe(change));
    }
    header->setText(header_lines.join('\n'));
    header->setVisible(!header_lines.isEmpty());
    filter->setObjectName(QStringLiteral("compare_filter"));
    filter->setPlaceholderText(tr("Filter"));
    filter->setClearButtonEnabled(true);
    list->setObjectName(QStringLiteral("compare_list"));
    list->setHeaderLabels({tr("Procedure"), tr("State"), tr("Added"), tr("Removed")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(false);
    // Long names: the column widens by dragging, and the whole name is the entry's tooltip.
    list->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    for (int column = 1; column < 4; ++column) {
        list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    for (QTextEdit* text : {view, new_view}) {
        text->setReadOnly(true);
        text->setLineWrapMode(QTextEdit::NoWrap);
        text->setFont(text_font());
    }
    view->setObjectName(QStringLiteral("compare_view"));
    new_view->setObjectName(QStringLiteral("compare_new_view"));
    old_heading->setObjectName(QStringLiteral("compare_old_heading"));
    new_heading->setObjectName(QStringLiteral("compare_new_heading"));
    old_heading->setToolTip(comparison_->old_name);
    new_heading->setToolTip(comparison_->new_name);
    new_heading->setText(QFileInfo(comparison_->new_name).fileName());
    scope->setObjectName(QStringLiteral("compare_scope"));
    scope->addItems({tr("The procedure shown"), tr("The whole comparison")});
    scope->setToolTip(tr("What Print and Save As take"));
    // The two sides scroll together.
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, new_view->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(new_view->verticalScrollBar(), &QScrollBar::valueChanged, view->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, new_view->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(new_view->horizontalScrollBar(), &QScrollBar::valueChanged, view->horizontalScrollBar(),
            &QScrollBar::setValue);

    QWidget* left = column_of({header, filter, show_unchanged, list, summary});
    // Above the texts, the view and the moves between changes; below them, what Print and
    // Save As take and the two buttons.
    auto* tools = new QHBoxLayout;
    tools->addWidget(side_by_side);
    tools->addStretch();
    auto* output = new QHBoxLayout;
    output->addStretch();
    output->addWidget(scope);
    for (auto [row, text, tip, slot] :
         {std::tuple{tools, tr("&Previous Change"), tr("Shift+F7"),
                     +[](CompareWindow* w) { w->next_change(true); }},
          {tools, tr("&Next Change"), tr("F7"), +[](CompareWindow* w) { w->next_change(false); }},
          {output, tr("P&rint..."), QString(),
           +[](CompareWindow* w) { w->print(w->chosen_scope()); }},
          {output, tr("Save &As..."), QString(), +[](CompareWindow* w) { w->save(); }}}) {
        auto* button = new QToolButton;
        button->setText(text);
        button->setToolTip(tip);
        connect(button, &QToolButton::clicked, this, [this, slot] { slot(this); });
        row->addWidget(button);
    }
    auto* texts = new QSplitter;
    texts->addWidget(column_of({old_heading, view}));
    new_side_ = column_of({new_heading, new_view});
    new_side_->hide();
    texts->addWidget(new_side_);
    auto* right = new QWidget;
    auto* right_layout = new QVBoxLayout(right);
    right_layout->setContentsMargins(0, 0, 0, 0);
    right_layout->addLayout(tools);
    right_layout->addWidget(texts);
    right_layout->addLayout(output);
    auto* halves = new QSplitter;
    halves->addWidget(left);
    halves->addWidget(right);
    halves->setStretchFactor(1, 3);
    halves->setSizes({list->fontMetrics().averageCharWidth() * 48, 1000});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(halves);

    const auto shortcut = [this](const QKeySequence& keys, bool backward) {
        auto* key = new QShortcut(keys, this);
        key->setContext(Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, this, [this, backward] { next_change(backward); });
    };
    shortcut(QKeySequence(Qt::Key_F7), false);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7), true);
    connect(filter, &QLineEdit::textChanged, this, &CompareWindow::fill_list);
    connect(show_unchanged, &QCheckBox::toggled, this, &CompareWindow::fill_list);
    connect(side_by_side, &QCheckBox::toggled, this, &CompareWindow::render);
    connect(list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            show_procedure(item->data(0, index_role).value<qulonglong>());
        }
    });
    fill_list();
    list->resizeColumnToContents(0);
    if (list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
    }
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::fill_list() {
    const QString wanted = filter->text().trimmed();
    list->clear();
    std::map<cmp::ProcedureState, int> counts;
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < comparison_->procedures.size(); ++i) {
        const cmp::ProcedureComparison& procedure = comparison_->procedures[i];
        ++counts[procedure.state];
        const QString name = QString::fromStdString(procedure.name);
        if ((procedure.state == cmp::ProcedureState::unchanged && !show_unchanged->isChecked()) ||
            (!wanted.isEmpty() && !name.contains(wanted, Qt::CaseInsensitive))) {
            continue;
        }
        auto* item = new QTreeWidgetItem(QStringList{
            name, state_text(procedure.state),
            procedure.added_lines > 0 ? QStringLiteral("+%1").arg(procedure.added_lines)
                                      : QString(),
            procedure.removed_lines > 0 ? QStringLiteral("\u2212%1").arg(procedure.removed_lines)
                                        : QString()});
        item->setData(0, index_role, QVariant::fromValue(static_cast<qulonglong>(i)));
        item->setToolTip(0, name);
        if (procedure.state == cmp::ProcedureState::added) {
            item->setForeground(1, QColor(0x1E, 0x7B, 0x1E));
        } else if (procedure.state == cmp::ProcedureState::removed) {
            item->setForeground(1, QColor(0xB0, 0x1E, 0x1E));
        }
        items << item;
    }
    list->addTopLevelItems(items);
    summary->setText(tr("%1 changed, %2 added, %3 removed, %4 unchanged")
                         .arg(counts[cmp::ProcedureState::changed])
                         .arg(counts[cmp::ProcedureState::added])
                         .arg(counts[cmp::ProcedureState::removed])
                         .arg(counts[cmp::ProcedureState::unchanged]));
    // Keep the procedure shown selected while it is listed.
    for (QTreeWidgetItem* item : items) {
        if (item->data(0, index_role).value<qulonglong>() == shown_) {
            list->setCurrentItem(item);
        }
    }
}

void CompareWindow::show_procedure(std::size_t index) {
    if (index >= comparison_->procedures.size()) {
        return;
    }
    shown_ = index;
    render();
    // The first change, at once.
    if (!change_blocks_.empty()) {
        go_to_block(change_blocks_.front());
    }
}

void CompareWindow::go_to_block(int block) {
    view->setTextCursor(QTextCursor(view->document()->findBlockByNumber(block)));
    view->ensureCursorVisible();
    if (new_view->isVisible()) {
        new_view->setTextCursor(QTextCursor(new_view->document()->findBlockByNumber(block)));
        new_view->ensureCursorVisible();
    }
}

namespace {

// The aligned lines of a procedure of the comparison (reading back texts it needs).
std::vector<cmp::DiffLine> lines_of(CompareWindow::Comparison& comparison, std::size_t index) {
    const cmp::ProcedureComparison& procedure = comparison.procedures[index];
    const auto text = [](cmp::ExportTexts& texts, std::size_t at) -> const std::string& {
        cmp::read_texts(texts, {at});
        return texts.procedures[at].text;
    };
    switch (procedure.state) {
        case cmp::ProcedureState::changed:
            return procedure.lines;
        case cmp::ProcedureState::added:
            return cmp::diff_lines(
                {}, cmp::split_lines(text(comparison.new_export, procedure.new_index)));
        case cmp::ProcedureState::removed:
            return cmp::diff_lines(
                cmp::split_lines(text(comparison.old_export, procedure.old_index)), {});
        case cmp::ProcedureState::unchanged:
            break;
    }
    const auto lines = cmp::split_lines(text(comparison.new_export, procedure.new_index));
    return cmp::diff_lines(lines, lines);
}

// A procedure inline, every line marked, at the cursor (its first line in the cursor's block
// when `first`); returns the lines where changes begin.
std::vector<int> append_inline(QTextCursor& cursor, const std::vector<cmp::DiffLine>& lines,
                               bool first) {
    std::map<const cmp::DiffLine*, const std::vector<cmp::Span>*> words;
    const std::vector<cmp::SideBySideRow> rows = cmp::side_by_side(lines);
    for (const cmp::SideBySideRow& row : rows) {
        if (row.old_line != nullptr && row.new_line != nullptr && row.old_line != row.new_line) {
            words[row.old_line] = &row.words.removed;
            words[row.new_line] = &row.words.added;
        }
    }
    std::vector<int> changes;
    const std::vector<cmp::Span> none;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const cmp::DiffLine& line = lines[i];
        if (line.change != cmp::LineChange::same &&
            (i == 0 || lines[i - 1].change == cmp::LineChange::same)) {
            changes.push_back(static_cast<int>(i));
        }
        const auto found = words.find(&line);
        write_line(cursor, &line, found != words.end() ? *found->second : none, true,
                   first && i == 0);
    }
    return changes;
}

// The procedure inline in `document`; returns the blocks where changes begin.
std::vector<int> write_inline(QTextDocument& document, const std::vector<cmp::DiffLine>& lines) {
    document.clear();
    QTextCursor cursor(&document);
    // One edit: the view lays the text out once, not after every line.
    cursor.beginEditBlock();
    std::vector<int> changes = append_inline(cursor, lines, true);
    cursor.endEditBlock();
    return changes;
}

// A line of the whole comparison's own: its title, header changes and summary, each
// procedure's heading (bold).
void write_plain_line(QTextCursor& cursor, const QString& text, bool bold, bool first) {
    QTextCharFormat format;
    format.setFont(text_font());
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (!first) {
        cursor.insertBlock(QTextBlockFormat());
    }
    cursor.insertText(text, format);
}

// A procedure's line in the summary, as qlx-convert --diff writes it.
QString summary_line(const cmp::ProcedureComparison& procedure) {
    QString line =
        state_text(procedure.state) + QLatin1Char(' ') + QString::fromStdString(procedure.name);
    if (procedure.state == cmp::ProcedureState::changed) {
        line += CompareWindow::tr(" (+%1 -%2 lines)")
                    .arg(procedure.added_lines)
                    .arg(procedure.removed_lines);
    }
    return line;
}

}  // namespace

void CompareWindow::render() {
    if (shown_ >= comparison_->procedures.size()) {
        return;
    }
    const std::vector<cmp::DiffLine> lines = lines_of(*comparison_, shown_);
    change_blocks_.clear();
    const QString old_file = QFileInfo(comparison_->old_name).fileName();
    if (!side_by_side->isChecked()) {
        new_side_->hide();
        old_heading->setText(
            QStringLiteral("\u2212 %1    + %2").arg(old_file, new_heading->text()));
        // Written apart from the view, which then lays it out a piece at a time. (The view
        // deletes the document it had, its own child, when it takes this one.)
        auto* written = new QTextDocument(view);
        change_blocks_ = write_inline(*written, lines);
        view->setDocument(written);
    } else {
        new_side_->show();
        old_heading->setText(old_file);
        view->document()->clear();
        new_view->document()->clear();
        QTextCursor old_cursor(view->document());
        QTextCursor new_cursor(new_view->document());
        old_cursor.beginEditBlock();
        new_cursor.beginEditBlock();
        const std::vector<cmp::SideBySideRow> rows = cmp::side_by_side(lines);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const cmp::SideBySideRow& row = rows[i];
            const bool changed = row.old_line != row.new_line;
            if (changed && (i == 0 || rows[i - 1].old_line == rows[i - 1].new_line)) {
                change_blocks_.push_back(static_cast<int>(i));
            }
            write_line(old_cursor, row.old_line, row.words.removed, false, i == 0);
            write_line(new_cursor, row.new_line, row.words.added, false, i == 0);
        }
        old_cursor.endEditBlock();
        new_cursor.endEditBlock();
    }
    view->moveCursor(QTextCursor::Start);
    new_view->moveCursor(QTextCursor::Start);
}

bool CompareWindow::next_change(bool backward) {
    const int here = view->textCursor().blockNumber();
    if (!backward) {
        for (int block : change_blocks_) {
            if (block > here) {
                go_to_block(block);
                return true;
            }
        }
    } else {
        for (auto it = change_blocks_.rbegin(); it != change_blocks_.rend(); ++it) {
            if (*it < here) {
                go_to_block(*it);
                return true;
            }
        }
    }
    // On to the next (previous) procedure listed that differs.
    const int row = list->indexOfTopLevelItem(list->currentItem());
    for (int next = row + (backward ? -1 : 1); next >= 0 && next < list->topLevelItemCount();
         next += backward ? -1 : 1) {
        QTreeWidgetItem* item = list->topLevelItem(next);
        const auto index = item->data(0, index_role).value<qulonglong>();
        if (comparison_->procedures[index].state != cmp::ProcedureState::unchanged) {
            list->setCurrentItem(item);
            if (!change_blocks_.empty()) {
                go_to_block(backward ? change_blocks_.back() : change_blocks_.front());
            }
            return true;
        }
    }
    return false;
}

CompareWindow::Scope CompareWindow::chosen_scope() const {
    return scope->currentIndex() == 1 ? Scope::whole : Scope::shown;
}

QString CompareWindow::write(QTextDocument& document, Scope what) const {
    if (what == Scope::shown) {
        if (shown_ >= comparison_->procedures.size()) {
            document.clear();
            return {};
        }
        write_inline(document, lines_of(*comparison_, shown_));
        return QString::fromStdString(comparison_->procedures[shown_].name);
    }
    // The title, the header's changes and the counts, then each procedure that differs under
    // its line of the summary.
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    write_plain_line(cursor, windowTitle(), true, true);
    if (!header->text().isEmpty()) {
        for (const QString& line : header->text().split(QLatin1Char('\n'))) {
            write_plain_line(cursor, line, false, false);
        }
    }
    write_plain_line(cursor, summary->text(), false, false);
    for (std::size_t i = 0; i < comparison_->procedures.size(); ++i) {
        const cmp::ProcedureComparison& procedure = comparison_->procedures[i];
        if (procedure.state == cmp::ProcedureState::unchanged) {
            continue;
        }
        write_plain_line(cursor, QString(), false, false);
        write_plain_line(cursor, summary_line(procedure), true, false);
        cursor.insertBlock();
        append_inline(cursor, lines_of(*comparison_, i), true);
    }
    cursor.endEditBlock();
    return windowTitle();
}

std::string CompareWindow::rtf(Scope what) const {
    QTextDocument document;
    write(document, what);
    return document::save_rtf(document);
}

std::string CompareWindow::html(Scope what) const {
    if (what == Scope::whole) {
        // The same page as `qlx-convert --diff --html`: a summary linking to each procedure.
        const std::string old_name = comparison_->old_name.toStdString();
        const std::string new_name = comparison_->new_name.toStdString();
        return publishing::comparison_report({old_name, new_name, comparison_->old_export,
                                              comparison_->new_export, comparison_->header,
                                              comparison_->procedures});
    }
    QTextDocument document;
    const QString title = write(document, what);
    return richtext::to_html(document::document_model(document), title.toStdString());
}

void CompareWindow::print(Scope what) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QTextDocument document;
    write(document, what);
    document.print(&printer);
}

void CompareWindow::save() {
    if (save_as) {
        save_as(*this, chosen_scope());
    }
}

}  // namespace qlx::shell
