#include "document/rich_text_adapter.h"

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
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "document/rich_text_pictures.h"
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
    Inserter(QTextCursor& cursor, const std::vector<QTextCharFormat>& formats,
             LazyPictures& pictures)
        : cursor_(cursor), formats_(formats), pictures_(pictures) {}
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

    // A PNG or JPEG picture carried through, shown as itself; false for anything else. It is
    // decoded only when it is drawn: its size comes from the group (where one byte of the file
    // is read, to know there is one), else from the file's header.
    bool add_picture(const rt::Run& run) {
        std::optional<rt::Picture> picture = rt::read_picture(run.rtf, 1);
        if (!picture) {
            return false;
        }
        QTextImageFormat shown;
        shown.merge(formats_[run.format]);
        if (picture->width_twips > 0 && picture->height_twips > 0) {
            shown.setWidth(twips_to_screen(picture->width_twips));
            shown.setHeight(twips_to_screen(picture->height_twips));
        } else {
            picture = rt::read_picture(run.rtf);
            const std::optional<QSizeF> size =
                picture_file_size(QByteArray::fromStdString(picture->data),
                                  picture->format == rt::Picture::Format::png ? "png" : "jpeg");
            if (!size) {
                return false;
            }
            shown.setWidth(size->width());
            shown.setHeight(size->height());
        }
        const QByteArray group = QByteArray::fromStdString(run.rtf);
        shown.setName(pictures_.add(group));
        shown.setProperty(carried_rtf_property, group);
        cursor_.insertImage(shown);
        return true;
    }

    QTextCursor& cursor_;
    const std::vector<QTextCharFormat>& formats_;
    std::string text_;
    std::size_t format_ = std::numeric_limits<std::size_t>::max();
    LazyPictures& pictures_;
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
          pictures_(document),
          inserter_(cursor_, formats_, pictures_),
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
    LazyPictures pictures_;
    Inserter inserter_;
    ParagraphInserter paragraphs_;
};

// Whether `done` comes true within `patience`, asked again and again, letting other threads
// of the core run in between.
template <class Done>
bool spin_until(Done done, std::chrono::microseconds patience) {
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

// Paragraphs a reader hands over on its thread, waiting to be taken on the loader's.
class ParagraphQueue : public rt::ParagraphSink {
public:
    struct Batch {
        std::vector<rt::Paragraph> paragraphs;
        std::vector<rt::CharFormat> formats;
    };

    // Thrown to the reader by a queue its loader has left.
    struct Left {};

    void take(std::vector<rt::Paragraph> paragraphs, std::vector<rt::CharFormat> formats) override {
        {
            const std::lock_guard lock(mutex_);
            if (left_) {
                throw Left();  // the reading ends here
            }
            batches_.push_back({std::move(paragraphs), std::move(formats)});
            ready_.store(true, std::memory_order_release);
        }
        changed_.notify_one();
    }

    // The loader takes no more batches: the reader stops at the next.
    void leave() {
        const std::lock_guard lock(mutex_);
        left_ = true;
    }

    // The reader is done: no batch comes after this one.
    void close() {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        ready_.store(true, std::memory_order_release);
        changed_.notify_one();
    }

    // Whether a batch came or the reader is done within `patience`. Looked for without
    // sleeping: a thread that sleeps takes some tens of microseconds to wake, as long as the
    // reader takes for a good part of a batch.
    bool ready_within(std::chrono::microseconds patience) {
        return spin_until([&] { return ready_.load(std::memory_order_acquire); }, patience);
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
        ready_.store(closed_ || !batches_.empty(), std::memory_order_relaxed);
        return batch;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> batches_;
    bool closed_ = false;
    bool left_ = false;
    std::atomic<bool> ready_ = false;  // a batch waits or the reader is done
};

// A document read on the reading thread, and what the reader hands over: shared by the thread
// and the loader, which may leave it to end alone. The reader reads its own copy of the RTF.
struct SharedReading {
    explicit SharedReading(std::string_view text) : rtf(text) {}

    void run() {
        try {
            read = rt::read_rtf(rtf, queue);
        } catch (const ParagraphQueue::Left&) {
            // nothing of it is wanted
        } catch (...) {
            failure = std::current_exception();
        }
        queue.close();  // after `read` and `failure`, which the loader takes once it is closed
    }

    const std::string rtf;
    ParagraphQueue queue;
    rt::RtfReadResult read;
    std::exception_ptr failure;
};

// A thread that reads documents for the loaders: started with the first and kept, waiting,
// for the next (made for each of an export's documents of some tens of kilobytes, a thread
// cost more than reading on it saved: 530 against 470 ms for 10 MB of them, read first). A
// loader offers it a document and builds what it hands over. Where no core is free the
// thread may begin late or stop for a while: a loader whose document it has not begun when
// the building starts takes the reading back, and one that waits too long for paragraphs
// leaves the reading to end alone and reads the document itself (but for a long one).
class ReadingThread {
public:
    ReadingThread() = default;
    ReadingThread(const ReadingThread&) = delete;
    ReadingThread& operator=(const ReadingThread&) = delete;

    // Offers the reading to the thread; false when it reads for another loader or there is
    // no thread to be had.
    bool offer(const std::shared_ptr<SharedReading>& reading) {
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
        job_ = reading;
        state_ = State::offered;
        offered_.store(true, std::memory_order_relaxed);
        begun_.store(false, std::memory_order_relaxed);
        changed_.notify_all();
        return true;
    }

    // Takes back what was offered when the thread has not begun it within `patience`;
    // false once it has.
    bool take_back(std::chrono::microseconds patience = {}) {
        spin_until([&] { return begun_.load(std::memory_order_relaxed); }, patience);
        const std::lock_guard lock(mutex_);
        if (state_ != State::offered) {
            return false;
        }
        state_ = State::idle;
        job_.reset();
        offered_.store(false, std::memory_order_relaxed);
        return true;
    }

    // Paragraphs the thread read and a loader has built, freed on the thread while it waits
    // for the next document: their memory is the thread's, and the loader goes on meanwhile.
    void discard(std::vector<std::vector<rt::Paragraph>> paragraphs,
                 std::shared_ptr<SharedReading> reading) {
        {
            const std::lock_guard lock(mutex_);
            std::ranges::move(paragraphs, std::back_inserter(discarded_));
            discarded_readings_.push_back(std::move(reading));
        }
        changed_.notify_all();
    }

private:
    enum class State : std::uint8_t { idle, offered, reading };

    void run(const std::stop_token& stop) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!changed_.wait(lock, stop, [&] {
                    return state_ == State::offered || !discarded_.empty() ||
                           !discarded_readings_.empty();
                })) {
                return;  // stopped
            }
            if (state_ != State::offered) {
                std::vector<std::vector<rt::Paragraph>> paragraphs = std::move(discarded_);
                std::vector<std::shared_ptr<SharedReading>> readings =
                    std::move(discarded_readings_);
                discarded_.clear();
                discarded_readings_.clear();
                lock.unlock();
                readings.clear();
                free_until_offered(paragraphs);
                lock.lock();
                if (!paragraphs.empty()) {  // the rest is freed after the reading
                    std::ranges::move(paragraphs, std::back_inserter(discarded_));
                }
                continue;
            }
            std::shared_ptr<SharedReading> job = std::move(job_);
            job_.reset();
            state_ = State::reading;
            begun_.store(true, std::memory_order_relaxed);
            offered_.store(false, std::memory_order_relaxed);
            lock.unlock();
            job->run();
            job.reset();  // the last owner when its loader left it
            lock.lock();
            state_ = State::idle;
        }
    }

    // Frees paragraphs a few at a time, from the last, until a reading is offered: the
    // loader that offers it waits for its first paragraphs. Leaves what is left.
    void free_until_offered(std::vector<std::vector<rt::Paragraph>>& lists) {
        constexpr std::size_t at_a_time = 32;
        while (!lists.empty() && !offered_.load(std::memory_order_relaxed)) {
            std::vector<rt::Paragraph>& last = lists.back();
            last.erase(last.end() - static_cast<std::ptrdiff_t>(std::min(at_a_time, last.size())),
                       last.end());
            if (last.empty()) {
                lists.pop_back();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::shared_ptr<SharedReading> job_;
    State state_ = State::idle;
    std::atomic<bool> begun_ = false;    // the reading offered last has begun
    std::atomic<bool> offered_ = false;  // a reading waits to be begun
    std::vector<std::vector<rt::Paragraph>> discarded_;
    std::vector<std::shared_ptr<SharedReading>> discarded_readings_;
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
// however late it begins or slow it goes (what that costs is little against building such a
// document), and one made for it reads it when the reading thread reads another's.
constexpr std::size_t long_size = 1024 * 1024;
// How long the loader waits for the reading thread to begin a document before it takes the
// reading back: a thread woken on an idle core takes some tens of microseconds to run.
constexpr std::chrono::microseconds begin_patience{50};
// How long it waits for the next paragraphs before it leaves the reading: the reader hands
// them over several times faster than they are built, unless it has no core.
constexpr std::chrono::microseconds stall_patience{200};

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
    const bool long_document = rtf.size() >= long_size;
    const auto reading = std::make_shared<SharedReading>(rtf);
    ReadingThread& thread = reading_thread();
    std::jthread own_reader;  // joined however the building ends
    const bool offered = thread.offer(reading);
    if (!offered) {
        if (!long_document) {
            return read_first();
        }
        try {
            own_reader = std::jthread([reading] { reading->run(); });
        } catch (const std::system_error&) {  // no thread to be had
            return read_first();
        }
    }
    DocumentLoader loader(document);
    // What the loader reads itself when it takes the reading back or leaves it.
    std::optional<rt::RtfReadResult> read_here;
    if (offered && !long_document && thread.take_back(begin_patience)) {
        read_here = rt::read_rtf(rtf);
    }
    std::size_t handed = 0;
    // Freed once the reader is done: their memory is the reader's, and freeing it while the
    // reader allocates would make both wait for the allocator.
    std::vector<std::vector<rt::Paragraph>> inserted;
    while (!read_here) {
        if (!long_document && !reading->queue.ready_within(stall_patience)) {
            reading->queue.leave();
            read_here = rt::read_rtf(rtf);  // its first paragraphs are built already
            break;
        }
        std::optional<ParagraphQueue::Batch> batch = reading->queue.next();
        if (!batch) {
            break;
        }
        loader.add_formats(batch->formats);
        loader.add_paragraphs(batch->paragraphs, 0, batch->paragraphs.size());
        handed += batch->paragraphs.size();
        inserted.push_back(std::move(batch->paragraphs));
    }
    if (!read_here && reading->failure) {
        std::rethrow_exception(reading->failure);
    }
    rt::RtfReadResult& read = read_here ? *read_here : reading->read;
    const rt::Document& model = read.document;
    loader.add_formats(model.formats(), loader.formats());
    loader.add_paragraphs(model.paragraphs(), handed, model.paragraphs().size());
    loader.finish(model);
    const rt::RtfProblems problems = read.problems;
    if (offered && !read_here) {
        inserted.push_back(std::move(reading->read.document.paragraphs()));
        thread.discard(std::move(inserted), reading);
    }
    return problems;
}

}  // namespace qlx::document
