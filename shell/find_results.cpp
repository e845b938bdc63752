#include "shell/find_results.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

#include "document/frm_document.h"
#include "shell/help_window.h"

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer's own annotations (its library defines them).
extern "C" void AnnotateHappensBefore(const char* file, int line, const volatile void* address);
extern "C" void AnnotateHappensAfter(const char* file, int line, const volatile void* address);
#endif

namespace qlx::shell {

namespace {

// Qt's pool hands a task over to its thread in code built without ThreadSanitizer, which so
// cannot see that what the task captured was made before the task runs; these tell it. They
// do nothing in other builds.
#if defined(__SANITIZE_THREAD__)
char handover;
void hand_over() {
    AnnotateHappensBefore(__FILE__, __LINE__, &handover);
}
void take_over() {
    AnnotateHappensAfter(__FILE__, __LINE__, &handover);
}
#else
void hand_over() {}
void take_over() {}
#endif

// How long one turn of the search may keep the events waiting.
constexpr qint64 slice_ms = 15;
// Lines longer than this show their start around the match.
constexpr qsizetype shown_line = 400;

// The line of a row as shown, and the match's place in it.
std::pair<QString, QPoint> shown_line_of(const FindResultsModel::Row& row) {
    const std::string& text = *row.document.text;
    const richtext::TextMatch& match = row.match;
    std::size_t from = match.line_start;
    std::size_t to = match.line_end;
    // A very long line shows the part around the match.
    if (to - from > static_cast<std::size_t>(shown_line)) {
        from = match.start > from + shown_line / 4 ? match.start - shown_line / 4 : from;
        while (from > match.line_start && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) {
            --from;
        }
        to = std::min(to, from + static_cast<std::size_t>(shown_line));
    }
    const auto piece = [&](std::size_t start, std::size_t end) {
        return QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start));
    };
    const QString before = piece(from, match.start);
    const QString matched = piece(match.start, match.start + match.length);
    const QString after =
        piece(match.start + match.length, std::max(to, match.start + match.length));
    return {before + matched + after,
            QPoint(static_cast<int>(before.size()), static_cast<int>(matched.size()))};
}

// Draws a result's line with its match in bold.
class MatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPoint match = index.data(FindResultsModel::match_role).toPoint();
        if (match.y() <= 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        const QString line = plain.text;
        plain.text.clear();
        plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        const QRect area = plain.widget->style()->subElementRect(QStyle::SE_ItemViewItemText,
                                                                 &plain, plain.widget);
        painter->save();
        painter->setPen(plain.palette.color(
            option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        QFont bold = plain.font;
        bold.setBold(true);
        int x = area.left() + 2;
        const auto draw = [&](const QString& part, const QFont& font) {
            painter->setFont(font);
            painter->drawText(QRect(x, area.top(), area.right() - x, area.height()),
                              Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, part);
            x += QFontMetrics(font).horizontalAdvance(part);
        };
        draw(line.left(match.x()), plain.font);
        draw(line.mid(match.x(), match.y()), bold);
        draw(line.mid(match.x() + match.y()), plain.font);
        painter->restore();
    }
};

}  // namespace

int FindResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FindResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : column_count;
}

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row row = this->row(index.row());
    switch (index.column()) {
        case document_column:
            return role == Qt::DisplayRole ? QVariant(row.document.caption) : QVariant();
        case line_column:
            if (role == Qt::DisplayRole) {
                return QVariant::fromValue(static_cast<qulonglong>(row.match.line));
            }
            return role == Qt::TextAlignmentRole
                       ? QVariant(static_cast<int>(Qt::AlignRight | Qt::AlignVCenter))
                       : QVariant();
        case text_column:
            if (role == Qt::DisplayRole) {
                return shown_line_of(row).first;
            }
            return role == match_role ? QVariant(shown_line_of(row).second) : QVariant();
        default:
            return {};
    }
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case document_column:
            return tr("Document");
        case line_column:
            return tr("Line");
        case text_column:
            return tr("Text");
        default:
            return {};
    }
}

Qt::ItemFlags FindResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        DocumentWindows::gone(row(index.row()).document.window)) {
        return Qt::NoItemFlags;
    }
    return QAbstractTableModel::flags(index);
}

int FindResultsModel::closed_documents() const {
    return static_cast<int>(std::ranges::count_if(documents_, [](const Document& document) {
        return DocumentWindows::gone(document.window);
    }));
}

FindResultsModel::Row FindResultsModel::row(int index) const {
    const RowPlace place = rows_[static_cast<std::size_t>(index)];
    const Document& document = documents_[place.document];
    return {document, document.matches[place.match]};
}

void FindResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    documents_.clear();
    endResetModel();
}

void FindResultsModel::append(std::vector<Document> documents) {
    std::size_t added = 0;
    for (const Document& document : documents) {
        added += document.matches.size();
    }
    if (added == 0) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(added) - 1);
    rows_.reserve(rows_.size() + added);
    for (Document& document : documents) {
        if (document.matches.empty()) {
            continue;
        }
        const auto number = static_cast<std::uint32_t>(documents_.size());
        // Once the window has gone (and the pointer to it with it), its rows are redrawn.
        if (document.window.window != nullptr) {
            connect(
                document.window.window, &QObject::destroyed, this,
                [this] {
                    emit dataChanged(index(0, 0), index(rowCount() - 1, column_count - 1));
                    emit document_closed();
                },
                Qt::QueuedConnection);
        }
        for (std::size_t i = 0; i < document.matches.size(); ++i) {
            rows_.push_back({number, static_cast<std::uint32_t>(i)});
        }
        documents_.push_back(std::move(document));
    }
    endInsertRows();
}

FindResults::FindResults(QWidget* parent)
    : QDockWidget(tr("Find Results"), parent),
      summary(new QLabel),
      list(new QTreeView),
      stop_button(new QPushButton(tr("&Stop"))),
      results(new FindResultsModel(this)) {
    setObjectName(QStringLiteral("find_results"));
    set_help_page(this, help_page::finding);
    auto* inside = new QWidget;
    auto* layout = new QVBoxLayout(inside);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* top = new QHBoxLayout;
    top->addWidget(summary, 1);
    top->addWidget(stop_button);
    layout->addLayout(top);
    layout->addWidget(list);
    setWidget(inside);
    summary->setObjectName(QStringLiteral("find_summary"));
    stop_button->setObjectName(QStringLiteral("find_stop"));
    stop_button->setEnabled(false);
    list->setObjectName(QStringLiteral("find_list"));
    // Report lines keep their columns in a font of fixed width.
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setModel(results);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setItemDelegateForColumn(FindResultsModel::text_column, new MatchDelegate(list));
    list->header()->setStretchLastSection(true);
    list->header()->setSectionResizeMode(FindResultsModel::document_column,
                                         QHeaderView::Interactive);
    list->header()->resizeSection(FindResultsModel::document_column,
                                  list->fontMetrics().averageCharWidth() * 24);
    list->header()->resizeSection(FindResultsModel::line_column,
                                  list->fontMetrics().averageCharWidth() * 8);
    connect(stop_button, &QPushButton::clicked, this, &FindResults::stop);
    connect(results, &FindResultsModel::document_closed, this, &FindResults::show_summary);
    connect(list, &QTreeView::activated, this, [this](const QModelIndex& index) {
        const FindResultsModel::Row row = results->row(index.row());
        QMdiSubWindow* window =
            documents_ != nullptr ? documents_->window(row.document.window) : nullptr;
        if (window != nullptr) {
            emit result_chosen(window, row.match.line, row.match.start - row.match.line_start,
                               row.match.length);
        }
    });
}

void FindResults::search(DocumentWindows& windows, const QString& pattern,
                         richtext::SearchOptions options) {
    if (documents_ != &windows) {
        if (documents_ != nullptr) {
            disconnect(documents_, nullptr, this, nullptr);
        }
        documents_ = &windows;
        // Those that waited are greyed once let go, or closed after they were made.
        connect(documents_, &DocumentWindows::changed, this, [this] {
            if (results->rowCount() > 0) {
                emit results->dataChanged(
                    results->index(0, 0),
                    results->index(results->rowCount() - 1, FindResultsModel::column_count - 1));
                show_summary();
            }
        });
    }
    windows_ = windows.entries();
    next_ = 0;
    pattern_ = pattern.toStdString();
    shown_pattern_ = pattern;
    options_ = options;
    results->clear();
    stop_button->setEnabled(true);
    show();
    raise();
    show_summary();
    search_some();
}

void FindResults::stop() {
    windows_.clear();
    next_ = 0;
    stop_button->setEnabled(false);
    show_summary();
}

void FindResults::search_some() {
    if (!searching()) {
        return;
    }
    QElapsedTimer slice;
    slice.start();
    std::vector<FindResultsModel::Document> found;
    while (searching() && !slice.hasExpired(slice_ms)) {
        const DocumentWindows::Entry& window = windows_[next_++];
        if (DocumentWindows::gone(window)) {
            continue;
        }
        // A window that waited may have been made since.
        const QMdiSubWindow* made =
            window.waiting != nullptr ? window.waiting->made.data() : window.window.data();
        std::shared_ptr<const std::string> text;
        if (const auto* form = made != nullptr
                                   ? qobject_cast<const document::frmDocument*>(made->widget())
                                   : nullptr) {
            text = form->search_text();
        } else if (made == nullptr && window.waiting != nullptr &&
                   window.waiting->text != nullptr) {
            text = window.waiting->text->searchable();
        }
        if (text == nullptr) {
            continue;
        }
        std::vector<richtext::TextMatch> matches =
            richtext::find_matches(*text, pattern_, options_);
        if (!matches.empty()) {
            found.push_back(
                {window, DocumentWindows::caption(window), std::move(text), std::move(matches)});
        }
    }
    results->append(std::move(found));
    if (searching()) {
        show_summary();
        QTimer::singleShot(0, this, &FindResults::search_some);
        return;
    }
    // Searched: the list lets the windows (and those waiting, with their texts) go.
    windows_.clear();
    next_ = 0;
    stop_button->setEnabled(false);
    show_summary();
    emit finished();
}

void FindResults::show_summary() {
    const int matches = results->rowCount();
    const QString counts = (matches == 1 ? tr("1 match") : tr("%1 matches").arg(matches)) +
                           (results->documents_with_matches() == 1
                                ? tr(" in 1 document")
                                : tr(" in %1 documents").arg(results->documents_with_matches()));
    if (searching()) {
        summary->setText(tr("Searching for \"%1\": %2 (%3 of %4 documents)")
                             .arg(shown_pattern_, counts)
                             .arg(next_)
                             .arg(windows_.size()));
    } else if (results->rowCount() == 0) {
        summary->setText(tr("\"%1\": no matches").arg(shown_pattern_));
    } else {
        summary->setText(tr("\"%1\": %2").arg(shown_pattern_, counts));
    }
    if (const int closed = results->closed_documents(); closed > 0) {
        summary->setText(summary->text() +
                         (closed == 1 ? tr("; 1 document closed since (greyed)")
                                      : tr("; %1 documents closed since (greyed)").arg(closed)));
    }
}

void prepare_search_texts(std::vector<std::weak_ptr<document::RichTextBox::DeferredText>> texts,
                          std::shared_ptr<std::atomic<bool>> stop) {
    std::function<void()> task = [texts = std::move(texts), stop = std::move(stop)] {
        take_over();
        for (const auto& weak : texts) {
            if (*stop) {
                return;
            }
            if (const auto text = weak.lock()) {
                text->searchable();
            }
        }
    };
    hand_over();
    QThreadPool::globalInstance()->start(std::move(task));
}

}  // namespace qlx::shell
