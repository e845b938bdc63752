#pragma once

#include <QString>
#include <QTextEdit>

#include <expected>
#include <optional>
#include <string>
#include <string_view>

class QColor;
class QDropEvent;
class QMimeData;
class QPrinter;
class QUrl;

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

    // The whole content as RTF.
    std::string TextRTF() const;
    void setTextRTF(std::string_view rtf);
    // Keeps RTF to show when its text is first needed: when the box is painted (once painting
    // may load it, see set_load_when_painted) or when any operation here reads or changes the
    // text. Until then the box holds the RTF's bytes and no text document or layout.
    void defer_text_rtf(std::string rtf);
    // Whether deferred text still waits.
    bool text_deferred() const { return deferred_.has_value(); }
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

signals:
    // Files were dropped on the text: they are for the program to open, not text to insert.
    void files_dropped(const QList<QUrl>& files);

protected:
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    // The clipboard and drag and drop carry plain text only: character formatting is neither
    // copied nor pasted.
    QMimeData* createMimeDataFromSelection() const override;

private:
    QFont selection_font() const;
    void wrap_for_alignment();

    mutable std::optional<std::string> deferred_;
    bool load_when_painted_ = true;
};

}  // namespace qlx::document
