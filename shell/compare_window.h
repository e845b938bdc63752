#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "comparison/export_comparison.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextDocument;
class QTextEdit;
class QTreeWidget;

namespace qlx::shell {

// Two exports compared (see comparison::compare_exports), in a window of the workspace: the
// fields of the export header that differ, once, above the procedures with their state
// (added, removed, changed with the lines added and removed; unchanged ones only when asked
// for), a filter box, and the selected procedure's two texts inline or side by side (each
// side headed with its export's file name), lines aligned: removed lines on light red, added
// on light green, the words that changed inside a changed line emphasised. F7 and Shift+F7 go
// to the next and previous change. The procedure shown, or the whole comparison, prints and
// saves as RTF or HTML with the same colours.
class CompareWindow : public QWidget {
    Q_OBJECT

public:
    // What was compared; the window keeps the texts its views point into.
    struct Comparison {
        QString old_name;
        QString new_name;
        comparison::ExportTexts old_export;
        comparison::ExportTexts new_export;
        std::vector<comparison::HeaderChange> header;
        std::vector<comparison::ProcedureComparison> procedures;
    };

    explicit CompareWindow(std::unique_ptr<Comparison> comparison, QWidget* parent = nullptr);
    ~CompareWindow() override;

    QLabel* const header;  // the header's changes; hidden when there are none
    QLineEdit* const filter;
    QCheckBox* const show_unchanged;
    QCheckBox* const side_by_side;
    QTreeWidget* const list;
    QTextEdit* const view;      // inline, and the old side beside the new
    QTextEdit* const new_view;  // the new side, shown beside
    QLabel* const old_heading;  // above the views: the old export's file name (inline: both)
    QLabel* const new_heading;  // the new export's, above the new side
    QLabel* const summary;
    // What Print and Save As take: the procedure shown, or the whole comparison.
    QComboBox* const scope;

    // Shows the procedure at this index of the comparison.
    void show_procedure(std::size_t index);
    // Goes to the next (previous) change: in the procedure shown, then in the next (previous)
    // procedure that differs. Returns false when there is none.
    bool next_change(bool backward = false);
    // What Print and Save As take: the procedure shown, or the whole comparison (its summary,
    // then every changed, added and removed procedure as `qlx-convert --diff` lists them).
    enum class Scope { shown, whole };
    Scope chosen_scope() const;
    // As RTF or as an HTML page, the view's colours kept.
    std::string rtf(Scope what) const;
    std::string html(Scope what) const;
    void print(Scope what);
    // Asks save_as to save what the scope box says.
    void save();
    std::function<void(CompareWindow& window, Scope what)> save_as;

private:
    void fill_list();
    void render();
    // Writes the procedure shown, or the whole comparison, into a document; returns its title.
    QString write(QTextDocument& document, Scope what) const;
    // Puts the cursor on this line (of both sides) and scrolls it into view.
    void go_to_block(int block);

    std::unique_ptr<Comparison> comparison_;
    QWidget* new_side_ = nullptr;  // the new side's heading and view
    std::size_t shown_ = static_cast<std::size_t>(-1);
    std::vector<int> change_blocks_;  // where each change of the procedure shown begins
};

}  // namespace qlx::shell
