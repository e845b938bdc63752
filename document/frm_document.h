#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/rich_text_box.h"

class QCloseEvent;
class QResizeEvent;
class QShowEvent;

namespace qlx::document {

// A document window: one RichTextBox inside a child window of the main window, filling the
// interior with a margin of 50 twips on every side. Its creator sets the caption, fills the
// control and shows the window. The window knows whether its text was edited since it was
// filled or saved; its title then carries the edited marker.
//
// The control is made when the window is first shown (it or the child window around it) or
// when anyone asks for it: an export opens thousands of windows, most of them never seen,
// and until then a window holds only the RTF it was given.
class frmDocument : public QWidget {
    Q_OBJECT

public:
    explicit frmDocument(QWidget* parent = nullptr);

    // The control, owned by the window; made now if it was not yet.
    RichTextBox* RichTextBox1() const;
    // Whether the control was made.
    bool has_text_box() const { return box_ != nullptr; }

    // As RichTextBox's functions of the same names, without making the control while it
    // waits to be made.
    void defer_text(std::shared_ptr<RichTextBox::DeferredText> waiting);
    std::shared_ptr<RichTextBox::DeferredText> deferred() const;
    bool text_deferred() const;
    std::shared_ptr<const std::string> search_text() const;

    // Lays out the control once, so that it has its final geometry before the window shows.
    void Form_Load();
    // Moves the control to 50 twips from the interior's edges; an interior too small for
    // that (a minimised window) leaves the control where it was.
    void Form_Resize();

    // The caption as its creator gave it, without the edited marker.
    QString caption() const { return caption_; }
    void set_caption(const QString& caption);

    // Where the document came from: the file it was opened from or converted out of (empty
    // for a new document), and for a converted one its procedure's place in the export.
    struct Source {
        QString path;
        int procedure = 0;  // 1 for the export's first procedure; 0 when not converted
        int procedures = 0;
        QDateTime opened{};  // when the file was opened: the same for all of one opening
    };
    const Source& source() const { return source_; }
    void set_source(Source source);

    // Whether the file the document stands for is read-only; the title then says so after
    // the caption, "(read-only)".
    bool read_only() const { return read_only_; }
    void set_read_only(bool read_only);
    // A heading of a converted document, as the conversion wrote it: its words (bytes of the
    // export, Windows-1252), its level (1 a report, macro or screen, or a section of the
    // procedure; 2 a section of one of those) and its paragraph (block number, from 0).
    struct Heading {
        std::string text;
        int level = 1;
        int paragraph = 0;
    };
    // The document's headings in document order; empty for a document not converted.
    const std::vector<Heading>& outline() const { return outline_; }
    void set_outline(std::vector<Heading> outline) { outline_ = std::move(outline); }
    // Moves the cursor to the start of this paragraph and scrolls it to the top of the view
    // (building the text first if it waits).
    void show_paragraph(int paragraph);

    // The control's zoom in percent (100 until the control is made: asking does not make it).
    int zoom() const;

    // Whether the text was edited since it was filled or last saved.
    bool is_edited() const;
    // After the text was filled or saved: not edited.
    void mark_unedited();

    // Asked whenever the window is about to close (close box, Ctrl+W, the main window's
    // commands); answering false keeps it open. Without it the window simply closes.
    std::function<bool(frmDocument& form)> may_close;

    QSize sizeHint() const override;

signals:
    // The caption or the source changed.
    void described();
    // The control's signals of the same names, from whenever it is made.
    void zoom_changed(int percent);
    void files_dropped(const QList<QUrl>& files);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_title();
    RichTextBox* make_text_box();

    RichTextBox* box_ = nullptr;
    // The RTF given before the control was made, with its text for searches once worked out.
    std::shared_ptr<RichTextBox::DeferredText> waiting_;

    QString caption_;
    Source source_;
    bool read_only_ = false;
    std::vector<Heading> outline_;
};

}  // namespace qlx::document
