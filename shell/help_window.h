#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;

namespace qlx::shell {

// The program's help: its manuals, qlx-viewer(1) and qlx-convert(1), made into pages when the
// program is built and bundled in it, one page per section, listed by manual on the left.
// The search box keeps the pages that hold every word typed and marks the words on the page
// shown; Enter goes to the next place they stand.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    QLineEdit* const search;
    QTreeWidget* const contents;
    QTextBrowser* const page;
    QLabel* const outcome;  // what the search found

    // Shows a page by its id, the manual and the section's anchor
    // ("qlx-viewer#COMPARING_EXPORTS"); false when there is no such page.
    bool show_page(const QString& id);
    QString shown_page() const { return shown_; }
    // Every page's id, in the order of the contents.
    QStringList page_ids() const;
    // The plain text of a page (empty for no such page).
    QString page_text(const QString& id) const;
    // Focuses the search box with its text selected.
    void start_search();

private:
    struct Page {
        QString id;
        QString title;
        QString html;
        mutable QString text;  // worked out when first searched
    };
    // Adds a manual's pages (":/help/NAME.html") under its title in the contents.
    void add_manual(const QString& name, const QString& title);
    const Page* find_page(const QString& id) const;
    const QString& text_of(const Page& page) const;
    void apply_search();
    void mark_words();
    void find_next();
    QStringList words() const;

    std::vector<Page> pages_;
    QString shown_;
};

// The pages the places of the program lead to.
namespace help_page {
inline constexpr char contents[] = "qlx-viewer#DESCRIPTION";
inline constexpr char documents[] = "qlx-viewer#COLOURS_AND_SECTIONS";
inline constexpr char outline[] = "qlx-viewer#THE_OUTLINE";
inline constexpr char finding[] = "qlx-viewer#FINDING";
inline constexpr char comparing[] = "qlx-viewer#COMPARING_EXPORTS";
}  // namespace help_page

// Where F1 leads: marks a widget, and everything inside it, as described by a help page.
void set_help_page(QWidget* widget, const QString& id);
// The help page of the widget or of its nearest marked parent; empty when none is marked.
QString help_page_of(const QWidget* widget);

}  // namespace qlx::shell
