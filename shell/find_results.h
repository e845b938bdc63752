#pragma once

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/rich_text_box.h"
#include "richtext/text_search.h"
#include "shell/document_windows.h"

class QLabel;
class QMdiSubWindow;
class QPushButton;
class QTreeView;

namespace qlx::shell {

// Every match Find All found: its document window, line and place, one row each.
class FindResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { document_column, line_column, text_column, column_count };
    // The match's place in the text column's string: a QPoint(start, length).
    static constexpr int match_role = Qt::UserRole;

    // A document searched, with what was found there.
    struct Document {
        DocumentWindows::Entry window;
        QString caption;
        std::shared_ptr<const std::string> text;  // the document's text when it was searched
        std::vector<richtext::TextMatch> matches;
    };
    struct Row {
        const Document& document;
        const richtext::TextMatch& match;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The results of a document that was closed are greyed and can no longer be chosen.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clear();
    // Adds the documents' matches (documents without any are left out).
    void append(std::vector<Document> documents);
    Row row(int index) const;
    int documents_with_matches() const { return static_cast<int>(documents_.size()); }
    // Of those, the documents closed since.
    int closed_documents() const;

signals:
    // A document with results was closed.
    void document_closed();

private:
    std::vector<Document> documents_;
    // rows_[i]: the document of row i and the match's index there.
    struct RowPlace {
        std::uint32_t document;
        std::uint32_t match;
    };
    std::vector<RowPlace> rows_;
};

// The results panel of Find All: fills while the search goes through the documents, which
// can be stopped; activating a result (double-click or Enter) asks for its place.
class FindResults : public QDockWidget {
    Q_OBJECT

public:
    explicit FindResults(QWidget* parent = nullptr);

    QLabel* const summary;
    QTreeView* const list;
    QPushButton* const stop_button;
    FindResultsModel* const results;

    // Searches the documents of the windows in turn (those waiting to be made too), between
    // events; an earlier search stops.
    void search(DocumentWindows& windows, const QString& pattern, richtext::SearchOptions options);
    void stop();
    bool searching() const { return next_ < windows_.size(); }

signals:
    // A result was chosen: the window to show (made when it waits) and the place to select
    // there.
    void result_chosen(QMdiSubWindow* window, std::size_t line, std::size_t column,
                       std::size_t length);
    void finished();

private:
    void search_some();
    void show_summary();

    QPointer<DocumentWindows> documents_;
    QList<DocumentWindows::Entry> windows_;
    qsizetype next_ = 0;
    std::string pattern_;
    QString shown_pattern_;
    richtext::SearchOptions options_;
};

// Works out, on a thread of its own, the search text of RTF that waits in document windows,
// so that Find All finds it ready. Stops when `stop` turns true.
void prepare_search_texts(std::vector<std::weak_ptr<document::RichTextBox::DeferredText>> texts,
                          std::shared_ptr<std::atomic<bool>> stop);

}  // namespace qlx::shell
