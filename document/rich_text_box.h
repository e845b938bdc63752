#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTextEdit>

#include <atomic>
#include <cstddef>
#include <expected>
#include <memory>
#include <string>
#include <string_view>

class QColor;
class QDropEvent;
class QMimeData;
class QPrinter;
class QRegion;
class QTextDocument;
class QUrl;
class QWheelEvent;

namespace qlx::document {

// How LoadFile reads a file.
enum class FileFormat {
    rtf = 0,   // Rich Text Format
    text = 1,  // plain text, decoded as decode_plain_text says
};

// The rich-text control of a document window: an editor for one document, with the
// operations the file, print, edit and format commands use. The text starts in Courier New,
// 8.25 points, and lines break only at a right margin 50000 twips from the left, so report
// lines keep their columns and are reached by scrolling sideways; RTF with centred,
// right-aligned or justified paragraphs wraps at the window's edge instead.
class RichTextBox : public QTextEdit {
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Replaces the content with the file's content. On failure returns the reason and leaves
    // the content as it was.
    std::expected<void, QString> LoadFile(const QString& path, FileFormat format = FileFormat::rtf);

    // The whole content as plain text, lines ended by CR LF.
    QString Text() const;
    // Replaces the content with plain text; CR LF, CR and LF each break a line. (It hides
    // QTextEdit::setText, which would take text that looks like HTML for HTML.) Like
    // setTextRTF and LoadFile, it leaves the document not edited.
    void setText(const QString& text);
    // Replaces the content with a document of plain text made elsewhere (plain_text_document,
    // best in plain_text_font, which spares laying it out once more), which the box takes;
    // like setText it leaves the document not edited.
    void adopt_plain_document(std::unique_ptr<QTextDocument> document);
    // The font of plain text in a box.
    static QFont plain_text_font();
    // Not edited from now on: the document tells its window (modificationChanged) so.
    void set_unedited();

    // Whether saving the document as text would lose anything: it was filled from RTF, or
    // some of its text is formatted (a font, a size, bold, italic, underline, a colour).
    bool holds_formatting() const;

    // The whole content as RTF.
    std::string TextRTF() const;
    void setTextRTF(std::string_view rtf);
    // Keeps RTF to show when its text is first needed: when the box is painted (once painting
    // may load it, see set_load_when_painted) or when any operation here reads or changes the
    // text. Until then the box holds the RTF's bytes (DeferredText, below) and no text
    // document or layout.
    class DeferredText;
    void defer_text(std::shared_ptr<DeferredText> waiting);
    // Whether deferred text still waits.
    bool text_deferred() const { return deferred_ != nullptr; }
    // Loads deferred text now.
    void load_deferred() const;
    // Whether being painted loads deferred text (true unless turned off, as while many
    // windows open one over another).
    void set_load_when_painted(bool load);

    // The selected text, lines ended by CR LF; setting it replaces the selection.
    QString SelText() const;
    void setSelText(const QString& text);
    // Number of characters selected.
    int SelLength() const;

    // Character format of the selection (of the text typed next when nothing is selected).
    bool SelBold() const;
    void setSelBold(bool bold);
    bool SelItalic() const;
    void setSelItalic(bool italic);
    bool SelUnderline() const;
    void setSelUnderline(bool underline);
    QString SelFontName() const;
    void setSelFontName(const QString& family);
    double SelFontSize() const;  // points
    void setSelFontSize(double points);
    QColor SelColor() const;
    void setSelColor(const QColor& color);

    // Prints the selection, or the whole document when nothing is selected.
    void SelPrint(QPrinter& printer) const;

    // RTF that waits to be shown, and its text as a search sees it once someone has worked it
    // out (on any thread: the box keeps it for its next search).
    class DeferredText {
        struct Packing {};

    public:
        explicit DeferredText(std::string bytes);
        DeferredText(Packing, std::string_view rtf);
        // RTF kept compressed while it waits, in some quarter of its size: an export's windows
        // wait with their RTF and their text for searches, each about the size of the
        // export. Kept as it is where it cannot be compressed.
        static std::shared_ptr<DeferredText> packed(std::string_view rtf);
        // The RTF, unpacked again where it was packed.
        std::shared_ptr<const std::string> rtf() const;
        std::atomic<std::shared_ptr<const std::string>> text;
        // The text, worked out now unless it already was.
        std::shared_ptr<const std::string> searchable();

    private:
        std::shared_ptr<const std::string> rtf_;  // nullptr when packed
        std::string packed_;                      // as LZ4 (or zlib) packs it
        std::size_t size_ = 0;                    // unpacked
    };
    // The deferred RTF, for working its text out elsewhere; nullptr when none waits.
    std::shared_ptr<DeferredText> deferred() const { return deferred_; }
    // The text as a search sees it (richtext::searchable_text: UTF-8, lines ended by '\n'),
    // without building the document while its RTF waits.
    std::shared_ptr<const std::string> search_text() const;
    // Selects `length` bytes at `column` bytes into line `line` (from 1) of search_text(),
    // builds the text if it waits, and scrolls the selection into view. A place beyond the
    // text selects nothing.
    void select_found(std::size_t line, std::size_t column, std::size_t length);

    // The view's magnification in percent (100: actual size). It changes what is seen only:
    // the document, its formats, and what is saved, copied and printed stay as they are.
    static constexpr int actual_size = 100;  // the zoom of a new box
    static constexpr int min_zoom = 25;
    static constexpr int max_zoom = 400;
    int zoom() const { return zoom_; }
    void set_zoom(int percent);  // kept between min_zoom and max_zoom
    // The next of the usual steps (25%, 33%, 50%, ... 100%, 110%, 125%, ... 400%) above or
    // below the zoom; the zoom itself at either end.
    int zoom_step(bool in) const;

signals:
    // Files were dropped on the text: they are for the program to open, not text to insert.
    void files_dropped(const QList<QUrl>& files);
    void zoom_changed(int percent);
    // The box holds another document (adopt_plain_document): what followed the old one's
    // signals follows the new one's.
    void document_replaced();

protected:
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Ctrl and the wheel zoom the view.
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    // The clipboard and drag and drop carry plain text only: character formatting is neither
    // copied nor pasted.
    QMimeData* createMimeDataFromSelection() const override;

private:
    QFont selection_font() const;
    bool shows_readable_part(const QRegion& region) const;
    void wrap_for_alignment();

    // The text as a search sees it, for a built document; forgotten when the text changes.
    QString live_search_string() const;

    mutable std::shared_ptr<DeferredText> deferred_;
    bool from_rtf_ = false;  // filled from RTF (which may be waiting in deferred_)
    mutable std::shared_ptr<const std::string> live_text_;
    bool load_when_painted_ = true;
    int zoom_ = actual_size;
    QImage zoom_device_;  // what the text is laid out for while zoomed
};

}  // namespace qlx::document
