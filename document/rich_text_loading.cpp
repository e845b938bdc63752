#include "document/rich_text_adapter.h"

#include <QImage>
#include <QScopeGuard>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableCell>
#include <QTextTableFormat>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <iterator>
#include <limits>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "document/rich_text_properties.h"
#include "richtext/field_instruction.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_reader.h"
#include "richtext/table_structure.h"

namespace qlx::document {

using namespace adapter;

namespace {

constexpr std::string_view paragraph_separator = "\xE2\x80\xA9";  // U+2029 in UTF-8
constexpr double default_document_margin = 4.0;                   // QTextDocument's, in pixels

// Text that arrives in pieces, each in a format, inserted as few times as possible: a piece
// in the format of the one before joins it. Paragraph separators inside the text make
// QTextCursor::insertText start new blocks whose character format is the inserted format.
class Inserter {
public:
    Inserter(QTextCursor& cursor, const std::vector<QTextCharFormat>& formats)
        : cursor_(cursor), formats_(formats) {}
    ~Inserter() { flush(); }

    // A list item's label and a blank, shown before its text, marked as no text of it.
    void add_label(const std::string& label, std::size_t format) {
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        QTextCharFormat shown = formats_[format];
        shown.setProperty(label_text_property, true);
        cursor_.insertText(QString::fromStdString(label) + QLatin1Char(' '), shown);
    }

    // Hidden text: an object character that shows nothing and holds the text.
    void add_hidden(const rt::Run& run) {
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        QTextCharFormat hidden = formats_[run.format];
        hidden.setObjectType(carried_object_type);
        hidden.setProperty(hidden_text_property, QString::fromStdString(run.text));
        if (run.field != 0) {
            hidden.setProperty(field_property, static_cast<int>(run.field));
        }
        cursor_.insertText(QString(QChar::ObjectReplacementCharacter), hidden);
    }

    void add(std::string_view utf8, std::size_t format) {
        // Qt's text documents drop U+FEFF: each is kept in an object character instead.
        constexpr std::string_view zero_width_no_break = "\xEF\xBB\xBF";
        for (std::size_t at; (at = utf8.find(zero_width_no_break)) != std::string_view::npos;) {
            add(utf8.substr(0, at), format);
            flush();
            format_ = std::numeric_limits<std::size_t>::max();
            QTextCharFormat kept = formats_[format];
            kept.setObjectType(carried_object_type);
            kept.setProperty(hidden_text_property, QString(QChar(0xFEFF)));
            cursor_.insertText(QString(QChar::ObjectReplacementCharacter), kept);
            utf8.remove_prefix(at + zero_width_no_break.size());
        }
        if (utf8.empty()) {
            return;
        }
        if (format != format_) {
            flush();
            format_ = format;
        }
        text_ += utf8;
    }

    // Text of a field's result: the field kept in the format, a link shown as one.
    void add_in_field(const rt::Run& run, const QString& link) {
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        QTextCharFormat in_field = formats_[run.format];
        in_field.setProperty(field_property, static_cast<int>(run.field));
        if (!link.isEmpty()) {
            in_field.setAnchor(true);
            in_field.setAnchorHref(link);
        }
        cursor_.insertText(QString::fromStdString(run.text), in_field);
    }

    // A carried group: its text when it shows one, else an object character that shows
    // nothing; either way with the group kept in the format.
    void add_carried(const rt::Run& run) {
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        if (run.text.empty() && add_picture(run)) {
            return;
        }
        QTextCharFormat carried = formats_[run.format];
        carried.setProperty(carried_rtf_property, QByteArray::fromStdString(run.rtf));
        if (run.field != 0) {
            carried.setProperty(field_property, static_cast<int>(run.field));
        }
        if (run.text.empty()) {
            carried.setObjectType(carried_object_type);
            cursor_.insertText(QString(QChar::ObjectReplacementCharacter), carried);
        } else {
            cursor_.insertText(QString::fromStdString(run.text), carried);
        }
    }

    // Starts a paragraph in the cursor's block, which holds nothing yet: the block takes
    // the paragraph's format, and its mark's as its character format.
    void begin_paragraph(const rt::Paragraph& paragraph) {
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        untouched_block_ = cursor_.blockFormat();
        block_formatted_ = false;
        if (std::optional<QTextBlockFormat> format = block_format_of(paragraph)) {
            cursor_.setBlockFormat(*format);
            block_formatted_ = true;
        }
        cursor_.setBlockCharFormat(formats_[paragraph.mark_format]);
    }

    // Ends the paragraph being inserted and starts the next in a new block. Between
    // paragraphs without a format of their own the separator joins the waiting text (the
    // new block copies the one before, and takes the separator's format as its character
    // format).
    void next_paragraph(const rt::Paragraph& paragraph) {
        std::optional<QTextBlockFormat> format = block_format_of(paragraph);
        if (!format && !block_formatted_) {
            add(paragraph_separator, paragraph.mark_format);
            return;
        }
        flush();
        format_ = std::numeric_limits<std::size_t>::max();
        block_formatted_ = format.has_value();
        cursor_.insertBlock(format ? *format : untouched_block_, formats_[paragraph.mark_format]);
    }

    // Inserts the text that waits, before the cursor moves elsewhere.
    void flush() {
        if (!text_.empty()) {
            cursor_.insertText(
                QString::fromUtf8(text_.data(), static_cast<qsizetype>(text_.size())),
                formats_[format_]);
            text_.clear();
        }
    }

private:
    // The format of a paragraph's block; none for a paragraph of the default format.
    static std::optional<QTextBlockFormat> block_format_of(const rt::Paragraph& paragraph) {
        if (paragraph.format == rt::ParagraphFormat() && paragraph.label.empty()) {
            return std::nullopt;
        }
        QTextBlockFormat format = to_qt_block_format(paragraph.format);
        if (!paragraph.label.empty()) {
            format.setProperty(label_property, QString::fromStdString(paragraph.label));
        }
        return format;
    }

    // A PNG or JPEG picture carried through, shown as itself; false for anything else.
    bool add_picture(const rt::Run& run) {
        const std::optional<rt::Picture> picture = rt::read_picture(run.rtf);
        QImage image;
        if (!picture || !image.loadFromData(QByteArray::fromStdString(picture->data))) {
            return false;
        }
        const QUrl name(QStringLiteral("qlx-picture:%1").arg(++pictures_));
        cursor_.document()->addResource(QTextDocument::ImageResource, name, image);
        QTextImageFormat shown;
        shown.merge(formats_[run.format]);
        shown.setName(name.toString());
        if (picture->width_twips > 0 && picture->height_twips > 0) {
            shown.setWidth(twips_to_screen(picture->width_twips));
            shown.setHeight(twips_to_screen(picture->height_twips));
        }
        shown.setProperty(carried_rtf_property, QByteArray::fromStdString(run.rtf));
        cursor_.insertImage(shown);
        return true;
    }

    QTextCursor& cursor_;
    const std::vector<QTextCharFormat>& formats_;
    std::string text_;
    std::size_t format_ = std::numeric_limits<std::size_t>::max();
    int pictures_ = 0;
    QTextBlockFormat untouched_block_;  // of the block the paragraphs began in
    bool block_formatted_ = false;      // the cursor's block has a paragraph's format
};

// The format a paragraph's block carries: what its empty line is shown in, or its first run's.
std::size_t block_format(const rt::Paragraph& paragraph) {
    return paragraph.runs.empty() ? paragraph.mark_format : paragraph.runs.front().format;
}

// The widths of a row's cells (twips) from the right edges its definition gives them.
std::vector<int> cell_widths(const std::string& definition) {
    std::vector<int> widths;
    int left = 0;
    for (const rt::CellDefinition& cell : rt::row_cells(definition)) {
        widths.push_back(cell.right - left);
        left = cell.right;
    }
    return widths;
}

// Inserts a model's paragraphs at a cursor: a block each, tables as QTextTables (a table's
// rows, their definitions and cells kept in its formats), nested in their cells.
class ParagraphInserter {
public:
    ParagraphInserter(QTextCursor& cursor, Inserter& inserter,
                      const std::vector<QTextCharFormat>& formats, const std::vector<bool>& hidden)
        : cursor_(cursor), inserter_(inserter), formats_(formats), hidden_(hidden) {}

    // The next paragraphs of the document, outside tables or holding whole ones.
    void insert(const std::vector<rt::Paragraph>& paragraphs, std::size_t begin, std::size_t end) {
        paragraphs_ = &paragraphs;
        block_free_ = insert(begin, end, 0, block_free_);
    }

    // The leftmost edge a paragraph's first line reaches (twips, negative left of the page).
    int leftmost() const { return leftmost_; }
    // The texts of the footnotes met, in order.
    const std::vector<std::string>& footnotes() const { return footnotes_; }

private:
    struct Cell {
        std::size_t begin;
        std::size_t end;
        bool merged;
    };

    // Paragraphs [begin, end), all of `depth` or deeper, the first into the cursor's block
    // when it is free (holds no paragraph yet). Returns whether it is free after them.
    bool insert(std::size_t begin, std::size_t end, int depth, bool block_free) {
        const std::vector<rt::Paragraph>& paragraphs = *paragraphs_;
        for (std::size_t i = begin; i < end;) {
            if (paragraphs[i].table.depth > depth) {
                std::size_t table_end = i;
                while (table_end < end && paragraphs[table_end].table.depth > depth) {
                    ++table_end;
                }
                inserter_.flush();
                if (block_free) {
                    mark_gap();
                }
                insert_table(i, table_end, depth + 1);
                block_free = true;  // the block Qt keeps after a table
                i = table_end;
                continue;
            }
            if (block_free) {
                inserter_.begin_paragraph(paragraphs[i]);
            } else {
                inserter_.next_paragraph(paragraphs[i]);
            }
            block_free = false;
            insert_runs(paragraphs[i]);
            ++i;
        }
        return block_free;
    }

    void mark_gap() {
        QTextBlockFormat gap;
        gap.setProperty(gap_block_property, true);
        cursor_.mergeBlockFormat(gap);
    }

    void insert_runs(const rt::Paragraph& paragraph) {
        // A first line that hangs left of the page's edge is shown in a margin wide enough
        // for it.
        leftmost_ = std::min(
            leftmost_, shown_left_indent(paragraph.format) + paragraph.format.first_line_indent);
        if (!paragraph.label.empty()) {
            inserter_.add_label(paragraph.label, block_format(paragraph));
        }
        QString link;  // of the field the runs are in, when it is a hyperlink
        for (const rt::Run& run : paragraph.runs) {
            if (run.is_field_instruction()) {
                link = QString::fromStdString(
                    rt::hyperlink_target(rt::field_instruction_text(run.rtf)));
            }
            if (run.carried()) {
                if (std::string text = rt::footnote_text(run.rtf); !text.empty()) {
                    footnotes_.push_back(std::move(text));
                }
                inserter_.add_carried(run);
            } else if (hidden_[run.format]) {
                inserter_.add_hidden(run);
            } else if (run.field != 0) {
                inserter_.add_in_field(run, link);
            } else {
                inserter_.add(run.text, run.format);
            }
        }
    }

    // The rows of the table of paragraphs [begin, end) at `depth`, and their definitions.
    std::vector<std::vector<Cell>> rows_of(std::size_t begin, std::size_t end, int depth,
                                           QStringList& definitions) const {
        std::vector<std::vector<Cell>> rows(1);
        std::size_t cell_begin = begin;
        for (std::size_t i = begin; i < end; ++i) {
            const rt::TablePlace& place = (*paragraphs_)[i].table;
            if (place.depth != depth || place.end == rt::TablePlace::End::paragraph) {
                continue;
            }
            rows.back().push_back({cell_begin, i + 1, place.merged});
            cell_begin = i + 1;
            if (place.end == rt::TablePlace::End::row) {
                definitions << QString::fromStdString(place.row);
                rows.emplace_back();
            }
        }
        if (cell_begin < end) {  // a row left open (the reader leaves none)
            rows.back().push_back({cell_begin, end, false});
            definitions << QString();
        } else {
            rows.pop_back();
        }
        return rows;
    }

    // The table of paragraphs [begin, end), all of `depth` or deeper; leaves the cursor in
    // the block after it.
    void insert_table(std::size_t begin, std::size_t end, int depth) {
        QStringList definitions;
        const std::vector<std::vector<Cell>> rows = rows_of(begin, end, depth, definitions);
        QList<int> cells;
        int columns = 1;
        for (const std::vector<Cell>& row : rows) {
            cells << static_cast<int>(row.size());
            columns = std::max(columns, static_cast<int>(row.size()));
        }
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderCollapse(true);
        format.setCellPadding(2);
        format.setCellSpacing(0);
        const std::vector<int> widths = cell_widths(definitions.front().toStdString());
        if (static_cast<int>(widths.size()) == columns &&
            std::ranges::all_of(widths, [](int width) { return width > 0; })) {
            QList<QTextLength> lengths;
            for (const int width : widths) {
                lengths << QTextLength(QTextLength::FixedLength, twips_to_screen(width));
            }
            format.setColumnWidthConstraints(lengths);
        }
        format.setProperty(row_definitions_property, definitions);
        format.setProperty(row_cells_property, QVariant::fromValue(cells));
        QTextTable* table = cursor_.insertTable(static_cast<int>(rows.size()), columns, format);
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < columns; ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                cursor_ = cell.firstCursorPosition();
                if (c >= cells[r]) {
                    mark_gap();  // a cell that only makes the table square
                    continue;
                }
                const Cell& content =
                    rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                if (content.merged) {
                    QTextTableCellFormat merged = cell.format().toTableCellFormat();
                    merged.setProperty(merged_cell_property, true);
                    cell.setFormat(merged);
                }
                insert(content.begin, content.end, depth, true);
                inserter_.flush();
            }
        }
        cursor_ = table->lastCursorPosition();
        cursor_.movePosition(QTextCursor::NextBlock);
    }

    QTextCursor& cursor_;
    Inserter& inserter_;
    const std::vector<QTextCharFormat>& formats_;
    const std::vector<bool>& hidden_;  // for each format, whether its text is hidden
    const std::vector<rt::Paragraph>* paragraphs_ = nullptr;  // those being inserted
    bool block_free_ = true;  // the cursor's block holds no paragraph yet
    int leftmost_ = 0;
    std::vector<std::string> footnotes_;
};

// Builds a text document from a model's paragraphs as they come: the formats first, then
// the paragraphs in order, then what needs the whole document.
class DocumentLoader {
public:
    explicit DocumentLoader(QTextDocument& document)
        : document_(document),
          undo_(document.isUndoRedoEnabled()),
          cursor_(&document),
          inserter_(cursor_, formats_),
          paragraphs_(cursor_, inserter_, formats_, hidden_) {
        document.setUndoRedoEnabled(false);
        document.clear();
        document.setDocumentMargin(default_document_margin);
        set_tab_stops(rt::default_tab_twips);
        cursor_ = QTextCursor(&document);
        cursor_.beginEditBlock();
    }

    void add_formats(const std::vector<rt::CharFormat>& formats, std::size_t from = 0) {
        for (std::size_t i = from; i < formats.size(); ++i) {
            formats_.push_back(to_qt_format(formats[i]));
            hidden_.push_back(formats[i].hidden);
        }
    }
    std::size_t formats() const { return formats_.size(); }

    void add_paragraphs(const std::vector<rt::Paragraph>& paragraphs, std::size_t begin,
                        std::size_t end) {
        paragraphs_.insert(paragraphs, begin, end);
    }

    // Ends the document of that model, whose paragraphs have all been added.
    void finish(const rt::Document& model) {
        inserter_.flush();
        list_footnotes();
        cursor_.endEditBlock();
        set_tab_stops(model.default_tab_twips());
        if (const int leftmost = paragraphs_.leftmost(); leftmost < 0) {
            document_.setDocumentMargin(default_document_margin + twips_to_screen(-leftmost));
        }
        keep_head(document_, model);
        document_.setUndoRedoEnabled(undo_);
    }

private:
    // Set only when they change, as a text document lays its text out again for them.
    void set_tab_stops(int twips) {
        QTextOption option = document_.defaultTextOption();
        if (option.tabStopDistance() != twips_to_screen(twips)) {
            option.setTabStopDistance(twips_to_screen(twips));
            document_.setDefaultTextOption(option);
        }
    }

    // The footnotes' texts, numbered, after the document's text: shown, never saved as text.
    void list_footnotes() {
        QTextBlockFormat note_block;
        note_block.setProperty(note_block_property, true);
        QTextCharFormat note_text;
        note_text.setProperty(label_text_property, true);
        note_text.setForeground(QColor(Qt::darkGray));
        int number = 0;
        for (const std::string& text : paragraphs_.footnotes()) {
            cursor_.movePosition(QTextCursor::End);
            cursor_.insertBlock(note_block, note_text);
            cursor_.insertText(QStringLiteral("%1. ").arg(++number) + QString::fromStdString(text),
                               note_text);
        }
    }

    QTextDocument& document_;
    bool undo_;
    std::vector<QTextCharFormat> formats_;
    std::vector<bool> hidden_;
    QTextCursor cursor_;
    Inserter inserter_;
    ParagraphInserter paragraphs_;
};

// Paragraphs a reader hands over on its thread, waiting to be taken on the loader's.
class ParagraphQueue : public rt::ParagraphSink {
public:
    struct Batch {
        std::vector<rt::Paragraph> paragraphs;
        std::vector<rt::CharFormat> formats;
    };

    void take(std::vector<rt::Paragraph> paragraphs, std::vector<rt::CharFormat> formats) override {
        {
            const std::lock_guard lock(mutex_);
            batches_.push_back({std::move(paragraphs), std::move(formats)});
        }
        changed_.notify_one();
    }

    // The reader is done: no batch comes after this one.
    void close() {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_one();
    }

    // The next batch; none once the reader is done and every batch was taken.
    std::optional<Batch> next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || !batches_.empty(); });
        if (batches_.empty()) {
            return std::nullopt;
        }
        Batch batch = std::move(batches_.front());
        batches_.pop_front();
        return batch;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> batches_;
    bool closed_ = false;
};

// A thread that reads documents for the loaders: started with the first and kept, waiting,
// for the next (made for each of an export's documents of some tens of kilobytes, a thread
// cost more than reading on it saved: 530 against 470 ms for 10 MB of them, read first). A
// loader offers it a document and builds what it hands over; one whose document the thread
// has not begun by the time the building starts (no core free) takes the reading back, unless
// the document is long.
class ReadingThread {
public:
    ReadingThread() = default;
    ReadingThread(const ReadingThread&) = delete;
    ReadingThread& operator=(const ReadingThread&) = delete;

    // Offers `read` to the thread; false when it reads for another loader or there is no
    // thread to be had. Once offered, the loader takes it back or waits for it to be done.
    bool offer(const std::function<void()>& read) {
        const std::lock_guard lock(mutex_);
        if (state_ != State::idle) {
            return false;
        }
        if (!thread_.joinable()) {
            try {
                thread_ = std::jthread([this](const std::stop_token& stop) { run(stop); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        job_ = &read;
        state_ = State::offered;
        changed_.notify_all();
        return true;
    }

    // Takes back what was offered when the thread has not begun it within `patience`;
    // false once it has.
    bool take_back(std::chrono::microseconds patience = {}) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, patience, [&] { return state_ != State::offered; });
        if (state_ != State::offered) {
            return false;
        }
        state_ = State::idle;
        job_ = nullptr;
        return true;
    }

    // Waits until the reading the thread began is done.
    void wait_done() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return state_ == State::done; });
        state_ = State::idle;
    }

    // Paragraphs the thread read and a loader has built, freed on the thread while it waits
    // for the next document: their memory is the thread's, and the loader goes on meanwhile.
    void discard(std::vector<std::vector<rt::Paragraph>> paragraphs) {
        {
            const std::lock_guard lock(mutex_);
            std::ranges::move(paragraphs, std::back_inserter(discarded_));
        }
        changed_.notify_all();
    }

private:
    enum class State : std::uint8_t { idle, offered, reading, done };

    void run(const std::stop_token& stop) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!changed_.wait(lock, stop, [&] {
                    return state_ == State::offered || !discarded_.empty();
                })) {
                return;  // stopped
            }
            if (state_ != State::offered) {
                std::vector<std::vector<rt::Paragraph>> discarded = std::move(discarded_);
                discarded_.clear();
                lock.unlock();
                discarded.clear();
                lock.lock();
                continue;
            }
            const std::function<void()>* job = std::exchange(job_, nullptr);
            state_ = State::reading;
            changed_.notify_all();
            lock.unlock();
            (*job)();  // catches what it throws
            lock.lock();
            state_ = State::done;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable_any changed_;
    const std::function<void()>* job_ = nullptr;
    State state_ = State::idle;
    std::vector<std::vector<rt::Paragraph>> discarded_;
    std::jthread thread_;  // last: stopped and joined before the rest goes
};

ReadingThread& reading_thread() {
    static ReadingThread thread;
    return thread;
}

// Below this size a document is read before it is built: offering it to the reading thread
// and waiting for its first paragraphs costs about what reading it takes.
constexpr std::size_t overlapped_size = 16 * 1024;
// From this size on, a document is always read while it is built: the thread is waited for
// when it has not begun (what it costs is nothing against building such a document), and one
// made for it reads it when the reading thread reads another's.
constexpr std::size_t long_size = 1024 * 1024;
// How long the loader waits for the reading thread to begin a document before it takes the
// reading back: a thread woken on an idle core takes some tens of microseconds to run.
constexpr std::chrono::microseconds begin_patience{50};

}  // namespace

void load_model(QTextDocument& document, const rt::Document& model) {
    DocumentLoader loader(document);
    loader.add_formats(model.formats());
    loader.add_paragraphs(model.paragraphs(), 0, model.paragraphs().size());
    loader.finish(model);
}

// The document is built while the RTF is read: a reader on another thread hands over the
// paragraphs it has finished, and they are inserted as they come.
rt::RtfProblems load_rtf(QTextDocument& document, std::string_view rtf) {
    const auto read_first = [&] {
        rt::RtfReadResult read = rt::read_rtf(rtf);
        load_model(document, read.document);
        return read.problems;
    };
    if (rtf.size() < overlapped_size) {
        return read_first();
    }
    ParagraphQueue queue;
    rt::RtfReadResult read;
    std::exception_ptr failure;
    const std::function<void()> read_into_queue = [&] {
        try {
            read = rt::read_rtf(rtf, queue);
        } catch (...) {
            failure = std::current_exception();
        }
        queue.close();
    };
    ReadingThread& thread = reading_thread();
    std::jthread own_reader;  // joined however the building ends
    bool offered = thread.offer(read_into_queue);
    if (!offered) {
        if (rtf.size() < long_size) {
            return read_first();
        }
        try {
            own_reader = std::jthread(read_into_queue);
        } catch (const std::system_error&) {  // no thread to be had
            return read_first();
        }
    }
    // Taken back or waited for however the building ends: the reading refers to what is
    // above.
    const auto end_reading = qScopeGuard([&] {
        if (offered && !thread.take_back()) {
            thread.wait_done();
        }
    });
    DocumentLoader loader(document);
    std::size_t handed = 0;
    // Freed once the reader is done: their memory is the reader's, and freeing it while the
    // reader allocates would make both wait for the allocator.
    std::vector<std::vector<rt::Paragraph>> inserted;
    bool read_on_thread = false;  // the reading thread's memory holds the paragraphs
    if (offered && rtf.size() < long_size && thread.take_back(begin_patience)) {
        offered = false;
        read = rt::read_rtf(rtf);
    } else {
        while (std::optional<ParagraphQueue::Batch> batch = queue.next()) {
            loader.add_formats(batch->formats);
            loader.add_paragraphs(batch->paragraphs, 0, batch->paragraphs.size());
            handed += batch->paragraphs.size();
            inserted.push_back(std::move(batch->paragraphs));
        }
        if (offered) {
            thread.wait_done();
            offered = false;
            read_on_thread = true;
        } else {
            own_reader.join();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    const rt::Document& model = read.document;
    loader.add_formats(model.formats(), loader.formats());
    loader.add_paragraphs(model.paragraphs(), handed, model.paragraphs().size());
    loader.finish(model);
    if (read_on_thread) {
        inserted.push_back(std::move(read.document.paragraphs()));
        thread.discard(std::move(inserted));
    }
    return read.problems;
}

}  // namespace qlx::document
