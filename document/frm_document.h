#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QCloseEvent;
class QResizeEvent;

namespace qlx::document {

class RichTextBox;

// A document window: one RichTextBox inside a child window of the main window, filling the
// interior with a margin of 50 twips on every side. Its creator sets the caption, fills the
// control and shows the window. The window knows whether its text was edited since it was
// filled or saved; its title then carries the edited marker.
class frmDocument : public QWidget {
    Q_OBJECT

public:
    explicit frmDocument(QWidget* parent = nullptr);

    RichTextBox* const RichTextBox1;  // owned by the window

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
    };
    const Source& source() const { return source_; }
    void set_source(Source source);

    // Whether the file the document stands for is read-only; the title then says so after
    // the caption, "(read-only)".
    bool read_only() const { return read_only_; }
    void set_read_only(bool read_only);

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void show_title();

    QString caption_;
    Source source_;
    bool read_only_ = false;
};

}  // namespace qlx::document
