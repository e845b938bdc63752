#pragma once

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "document/rich_text_box.h"
#include "richtext/text_search.h"

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

    struct Row {
        QPointer<QMdiSubWindow> window;
        QString caption;
        std::shared_ptr<const std::string> text;  // the document's text when it was searched
        richtext::TextMatch match;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clear();
    void append(std::vector<Row> rows);
    const Row& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }

private:
    std::vector<Row> rows_;
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

    // Searches the windows' documents in turn, between events; an earlier search stops.
    void search(const QList<QMdiSubWindow*>& windows, const QString& pattern,
                richtext::SearchOptions options);
    void stop();
    bool searching() const { return next_ < windows_.size(); }

signals:
    // A result was chosen: the window to show and the place to select there.
    void result_chosen(QMdiSubWindow* window, std::size_t line, std::size_t column,
                       std::size_t length);
    void finished();

private:
    void search_some();
    void show_summary();

    QList<QPointer<QMdiSubWindow>> windows_;
    qsizetype next_ = 0;
    std::string pattern_;
    QString shown_pattern_;
    richtext::SearchOptions options_;
    int documents_with_matches_ = 0;
};

// Works out, on a thread of its own, the search text of RTF that waits in document windows,
// so that Find All finds it ready. Stops when `stop` turns true.
void prepare_search_texts(std::vector<std::weak_ptr<document::RichTextBox::DeferredText>> texts,
                          std::shared_ptr<std::atomic<bool>> stop);

}  // namespace qlx::shell
