#include "document/rich_text_box.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QMimeData>
#include <QPaintEvent>
#include <QPointer>
#include <QPrinter>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <limits>

#if QLX_HAVE_LZ4
#include <lz4.h>
#else
#include <QByteArray>
#endif

#include "document/plain_text.h"
#include "document/rich_text_adapter.h"
#include "document/twips.h"
#include "richtext/text_search.h"

namespace qlx::document {

namespace {

constexpr double right_margin_twips = 50000;

}  // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
    const auto follow_document = [this] {
        connect(document(), &QTextDocument::contentsChanged, this, [this] { live_text_.reset(); });
    };
    follow_document();
    connect(this, &RichTextBox::document_replaced, this, follow_document);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(8.25);
    setFont(font);
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setLineWrapColumnOrWidth(twips_to_pixels(right_margin_twips, logicalDpiX()));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setAcceptRichText(false);
}

std::expected<void, QString> RichTextBox::LoadFile(const QString& path, FileFormat format) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::unexpected(file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::unexpected(file.errorString());
    }
    if (format == FileFormat::rtf) {
        setTextRTF(std::string_view(bytes.constData(), bytes.size()));
    } else {
        setText(decode_plain_text(bytes));
    }
    return {};
}

// The raw text, not toPlainText(), which would turn non-breaking spaces into blanks.
QString RichTextBox::Text() const {
    load_deferred();
    return with_crlf_line_ends(document()->toRawText());
}

void RichTextBox::setText(const QString& text) {
    deferred_.reset();
    from_rtf_ = false;
    // The pictures of RTF loaded before, which the document decodes when it draws them, go
    // with their text.
    document()->setResourceProvider({});
    setPlainText(text);
    set_unedited();
}

void RichTextBox::adopt_plain_document(std::unique_ptr<QTextDocument> filled) {
    deferred_.reset();
    from_rtf_ = false;
    live_text_.reset();
    const QPointer<QTextDocument> old = document();
    if (filled->defaultFont() != old->defaultFont()) {
        filled->setDefaultFont(old->defaultFont());
    }
    filled->setParent(this);
    setDocument(filled.release());
    delete old;  // unless the editor did
    emit document_replaced();
    set_unedited();
}

QFont RichTextBox::plain_text_font() {
    return RichTextBox().document()->defaultFont();
}

void RichTextBox::set_unedited() {
    // Filled with nothing, the document reports itself edited and then takes that back
    // without a word, which would leave the window's edited marker standing: being not edited
    // is always announced.
    if (document()->isModified()) {
        document()->setModified(false);
    } else {
        emit document()->modificationChanged(false);
    }
}

bool RichTextBox::holds_formatting() const {
    if (from_rtf_) {
        return true;
    }
    const QFont plain = document()->defaultFont();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.hasProperty(QTextFormat::ForegroundBrush) ||
                format.hasProperty(QTextFormat::BackgroundBrush) ||
                format.font().resolve(plain) != plain) {
                return true;
            }
        }
    }
    return false;
}

std::string RichTextBox::TextRTF() const {
    load_deferred();
    return save_rtf(*document());
}

void RichTextBox::defer_text(std::shared_ptr<DeferredText> waiting) {
    from_rtf_ = true;
    if (!document()->isEmpty()) {
        setPlainText(QString());  // as setText empties it
    }
    set_unedited();
    deferred_ = std::move(waiting);
    viewport()->update();
}

void RichTextBox::load_deferred() const {
    if (deferred_) {
        const std::shared_ptr<DeferredText> waiting = std::move(deferred_);
        deferred_.reset();  // before loading, which may come back here
        const_cast<RichTextBox*>(this)->setTextRTF(*waiting->rtf());  // the text, at last
    }
}

RichTextBox::DeferredText::DeferredText(std::string bytes)
    : rtf_(std::make_shared<const std::string>(std::move(bytes))) {}

namespace {

// LZ4: an export's documents are packed several times as fast as zlib's fastest level would
// (which took some 0.7 s of the 1.2 s an export of 100 MB took to convert), in about a quarter
// of their size rather than a sixth. Where the build has no LZ4, Qt's zlib packs them.
#if QLX_HAVE_LZ4
constexpr std::size_t most_packed = LZ4_MAX_INPUT_SIZE;

// The packed bytes; none where they could not be packed.
std::string pack(std::string_view rtf) {
    std::string packed;
    const int most = LZ4_compressBound(static_cast<int>(rtf.size()));
    packed.resize_and_overwrite(static_cast<std::size_t>(most), [&](char* to, std::size_t room) {
        const int written = LZ4_compress_default(rtf.data(), to, static_cast<int>(rtf.size()),
                                                 static_cast<int>(room));
        return static_cast<std::size_t>(std::max(written, 0));
    });
    packed.shrink_to_fit();
    return packed;
}

std::string unpack(const std::string& packed, std::size_t size) {
    std::string bytes;
    bytes.resize_and_overwrite(size, [&](char* to, std::size_t room) {
        const int unpacked = LZ4_decompress_safe(packed.data(), to, static_cast<int>(packed.size()),
                                                 static_cast<int>(room));
        return static_cast<std::size_t>(std::max(unpacked, 0));
    });
    return bytes;
}
#else
constexpr std::size_t most_packed = std::numeric_limits<int>::max() / 2;

std::string pack(std::string_view rtf) {
    const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(rtf.data()),
                                        static_cast<qsizetype>(rtf.size()), 1);
    return packed.toStdString();
}

std::string unpack(const std::string& packed, std::size_t /*size*/) {
    return qUncompress(reinterpret_cast<const uchar*>(packed.data()),
                       static_cast<qsizetype>(packed.size()))
        .toStdString();
}
#endif

}  // namespace

RichTextBox::DeferredText::DeferredText(Packing, std::string_view rtf)
    : packed_(pack(rtf)), size_(rtf.size()) {}

std::shared_ptr<RichTextBox::DeferredText> RichTextBox::DeferredText::packed(std::string_view rtf) {
    // Kept as it is when it is too large to pack in one go, or packing would not make it
    // smaller (an empty result: it could not be packed).
    if (!rtf.empty() && rtf.size() <= most_packed) {
        auto packed = std::make_shared<DeferredText>(Packing{}, rtf);
        if (!packed->packed_.empty() && packed->packed_.size() < rtf.size()) {
            return packed;
        }
    }
    return std::make_shared<DeferredText>(std::string(rtf));
}

std::shared_ptr<const std::string> RichTextBox::DeferredText::rtf() const {
    if (rtf_ != nullptr) {
        return rtf_;
    }
    return std::make_shared<const std::string>(unpack(packed_, size_));
}

std::shared_ptr<const std::string> RichTextBox::DeferredText::searchable() {
    std::shared_ptr<const std::string> known = text.load();
    if (known == nullptr) {
        known = std::make_shared<const std::string>(richtext::searchable_text(*rtf()));
        text.store(known);
    }
    return known;
}

QString RichTextBox::live_search_string() const {
    QString raw = document()->toRawText();
    // Paragraph and line separators end lines; the marks a table's frame leaves in the text
    // are not text.
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    raw.remove(QChar(0xFDD0));
    raw.remove(QChar(0xFDD1));
    return raw;
}

std::shared_ptr<const std::string> RichTextBox::search_text() const {
    if (deferred_) {
        return deferred_->searchable();
    }
    if (live_text_ == nullptr) {
        live_text_ = std::make_shared<const std::string>(live_search_string().toStdString());
    }
    return live_text_;
}

void RichTextBox::select_found(std::size_t line, std::size_t column, std::size_t length) {
    load_deferred();
    // The document's positions are those of its raw text, where a table's frame leaves marks
    // that the search text goes without: the place is found by walking the raw text.
    const QString raw = document()->toRawText();
    const auto ends_line = [](QChar c) {
        return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
    };
    const auto is_mark = [](QChar c) { return c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1; };
    qsizetype at = 0;
    for (std::size_t n = 1; n < line && at < raw.size(); ++at) {
        n += ends_line(raw[at]) ? 1 : 0;
    }
    // Moves on over `bytes` bytes of UTF-8 text on the line.
    const auto advance = [&](qsizetype from, std::size_t bytes) {
        while (from < raw.size() && !ends_line(raw[from]) && bytes > 0) {
            if (!is_mark(raw[from])) {
                const bool pair = raw[from].isHighSurrogate() && from + 1 < raw.size();
                const std::size_t size = pair                          ? 4
                                         : raw[from].unicode() < 0x80  ? 1
                                         : raw[from].unicode() < 0x800 ? 2
                                                                       : 3;
                bytes = bytes > size ? bytes - size : 0;
                from += pair ? 1 : 0;
            }
            ++from;
        }
        return from;
    };
    if (line == 0 || at > raw.size()) {
        return;
    }
    const qsizetype start = advance(at, column);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(advance(start, length)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

namespace {

constexpr std::array<int, 16> zoom_steps{25,  33,  50,  67,  75,  80,  90,  100,
                                         110, 125, 150, 175, 200, 250, 300, 400};

}  // namespace

int RichTextBox::zoom_step(bool in) const {
    if (in) {
        const auto next = std::ranges::upper_bound(zoom_steps, zoom_);
        return next == zoom_steps.end() ? zoom_ : *next;
    }
    const auto next = std::ranges::lower_bound(zoom_steps, zoom_);
    return next == zoom_steps.begin() ? zoom_ : *std::prev(next);
}

void RichTextBox::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        if (const int steps = event->angleDelta().y(); steps != 0) {
            set_zoom(zoom_step(steps > 0));
        }
        event->accept();
        return;
    }
    QTextEdit::wheelEvent(event);
}

void RichTextBox::set_zoom(int percent) {
    percent = std::clamp(percent, min_zoom, max_zoom);
    if (percent == zoom_) {
        return;
    }
    zoom_ = percent;
    // The text is laid out for a device of the screen's resolution times the zoom: the same
    // document drawn larger or smaller, its formats untouched.
    if (zoom_ == actual_size) {
        document()->documentLayout()->setPaintDevice(nullptr);
        zoom_device_ = QImage();
    } else {
        zoom_device_ = QImage(1, 1, QImage::Format_RGB32);
        constexpr double inches_per_meter = 1 / 0.0254;
        zoom_device_.setDotsPerMeterX(qRound(logicalDpiX() * inches_per_meter * zoom_ / 100.0));
        zoom_device_.setDotsPerMeterY(qRound(logicalDpiY() * inches_per_meter * zoom_ / 100.0));
        document()->documentLayout()->setPaintDevice(&zoom_device_);
    }
    wrap_for_alignment();
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
    emit zoom_changed(zoom_);
}

void RichTextBox::set_load_when_painted(bool load) {
    load_when_painted_ = load;
    if (load && deferred_) {
        viewport()->update();
    }
}

bool RichTextBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress ||
        (event->type() == QEvent::Paint && load_when_painted_ && deferred_ &&
         shows_readable_part(static_cast<QPaintEvent*>(event)->region()))) {
        load_deferred();
    }
    return QTextEdit::viewportEvent(event);
}

// Whether a part of the text to be painted is large enough to read in: three lines high and
// twenty characters wide. The strips that cascaded windows leave showing of those beneath
// are not, and stay blank until their window comes forward.
bool RichTextBox::shows_readable_part(const QRegion& region) const {
    const QFontMetrics metrics(font());
    const int height = 3 * metrics.lineSpacing();
    const int width = 20 * metrics.averageCharWidth();
    return std::ranges::any_of(region, [&](const QRect& part) {
        return part.height() >= height && part.width() >= width;
    });
}

bool RichTextBox::event(QEvent* event) {
    // Whatever the user types or pastes goes into the text it stands for.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride ||
        event->type() == QEvent::InputMethod || event->type() == QEvent::FocusIn) {
        load_deferred();
    }
    return QTextEdit::event(event);
}

void RichTextBox::setTextRTF(std::string_view rtf) {
    deferred_.reset();
    from_rtf_ = true;
    // The editor's cursor is set aside while the text goes in. Carried along by the insertion,
    // it would end up selecting the whole text, and putting it back at the start would have
    // the whole text laid out at once to repaint that selection, where the editor otherwise
    // lays a long text out a piece at a time between events.
    setTextCursor(QTextCursor());
    // One edit block around the whole load lets the editor lay the text out once, not after
    // every insertion (several times faster for a long report).
    QTextCursor whole_load(document());
    whole_load.beginEditBlock();
    load_rtf(*document(), rtf);
    whole_load.endEditBlock();
    setTextCursor(QTextCursor(document()));
    set_unedited();
    wrap_for_alignment();
}

// Lines break only at the far right margin, so that report lines keep their columns; but a
// document with centred, right-aligned or justified paragraphs (one written by a word
// processor) wraps at the window's edge, where those paragraphs can be seen as aligned.
void RichTextBox::wrap_for_alignment() {
    bool aligned = false;
    for (QTextBlock block = document()->begin(); block.isValid() && !aligned;
         block = block.next()) {
        aligned = (block.blockFormat().alignment() &
                   (Qt::AlignHCenter | Qt::AlignRight | Qt::AlignJustify)) != 0;
    }
    if (aligned) {
        setLineWrapMode(QTextEdit::WidgetWidth);
    } else {
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        setLineWrapColumnOrWidth(
            twips_to_pixels(right_margin_twips, logicalDpiX() * zoom_ / 100.0));
    }
}

QString RichTextBox::SelText() const {
    load_deferred();
    return with_crlf_line_ends(textCursor().selectedText());
}

void RichTextBox::setSelText(const QString& text) {
    load_deferred();
    textCursor().insertText(text);
}

int RichTextBox::SelLength() const {
    load_deferred();
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

QFont RichTextBox::selection_font() const {
    load_deferred();
    return currentCharFormat().font().resolve(document()->defaultFont());
}

bool RichTextBox::SelBold() const {
    return selection_font().bold();
}

void RichTextBox::setSelBold(bool bold) {
    load_deferred();
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    mergeCurrentCharFormat(format);
}

bool RichTextBox::SelItalic() const {
    return selection_font().italic();
}

void RichTextBox::setSelItalic(bool italic) {
    load_deferred();
    QTextCharFormat format;
    format.setFontItalic(italic);
    mergeCurrentCharFormat(format);
}

bool RichTextBox::SelUnderline() const {
    return selection_font().underline();
}

void RichTextBox::setSelUnderline(bool underline) {
    load_deferred();
    QTextCharFormat format;
    format.setFontUnderline(underline);
    mergeCurrentCharFormat(format);
}

QString RichTextBox::SelFontName() const {
    return selection_font().family();
}

void RichTextBox::setSelFontName(const QString& family) {
    load_deferred();
    QTextCharFormat format;
    format.setFontFamilies({family});
    mergeCurrentCharFormat(format);
}

double RichTextBox::SelFontSize() const {
    return selection_font().pointSizeF();
}

void RichTextBox::setSelFontSize(double points) {
    load_deferred();
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeCurrentCharFormat(format);
}

QColor RichTextBox::SelColor() const {
    load_deferred();
    const QBrush foreground = currentCharFormat().foreground();
    return foreground.style() == Qt::NoBrush ? palette().color(QPalette::Text) : foreground.color();
}

void RichTextBox::setSelColor(const QColor& color) {
    load_deferred();
    QTextCharFormat format;
    format.setForeground(color);
    mergeCurrentCharFormat(format);
}

void RichTextBox::SelPrint(QPrinter& printer) const {
    load_deferred();
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        document()->print(&printer);
        return;
    }
    QTextDocument selection;
    selection.setDefaultFont(document()->defaultFont());
    // A fragment takes no pictures with it: they stay this document's.
    selection.setResourceProvider([whole = document()](const QUrl& name) {
        return whole->resource(QTextDocument::ImageResource, name);
    });
    QTextCursor(&selection).insertFragment(cursor.selection());
    selection.print(&printer);
}

void RichTextBox::dropEvent(QDropEvent* event) {
    QList<QUrl> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files << url;
        }
    }
    if (files.isEmpty()) {
        QTextEdit::dropEvent(event);
        return;
    }
    // The drop ends here: the editor takes down its drop caret as when the drag leaves it.
    QDragLeaveEvent leave;
    QTextEdit::dragLeaveEvent(&leave);
    event->acceptProposedAction();
    emit files_dropped(files);
}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(textCursor().selection().toPlainText().remove(QChar::ObjectReplacementCharacter));
    return mime;
}

}  // namespace qlx::document
