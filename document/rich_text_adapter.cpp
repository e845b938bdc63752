#include "document/rich_text_adapter.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextFrame>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableCell>
#include <QTextTableFormat>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "document/twips.h"
#include "richtext/field_instruction.h"
#include "richtext/rtf_pictures.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_lexer.h"
#include "richtext/rtf_writer.h"
#include "richtext/table_structure.h"

namespace qlx::document {

namespace rt = qlx::richtext;

namespace {

constexpr std::string_view paragraph_separator = "\xE2\x80\xA9";  // U+2029 in UTF-8
constexpr int max_half_points = 3276;

// Text documents measure tab stops in pixels of the screen they are laid out for.
double screen_dots_per_inch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}

QColor to_qcolor(const rt::Rgb& color) {
    return QColor(color.red, color.green, color.blue);
}

std::optional<rt::Rgb> from_brush(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush) {
        return std::nullopt;
    }
    const QColor color = brush.color().toRgb();
    return rt::Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                   static_cast<std::uint8_t>(color.blue())};
}

QString font_family(const QTextCharFormat& format) {
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.front().isEmpty()) {
        return families.front();
    }
    return format.property(QTextFormat::FontFamily).toString();
}

// Properties of the model that Qt's formats do not hold exactly, kept beside Qt's own.
enum ModelProperty {
    raise_half_points_property = QTextFormat::UserProperty + 1,  // \up / \dn, half-points
    line_spacing_multiple_property,  // \slmult1 where the paragraph has no line spacing
    carried_rtf_property,            // the group a carried object stands for (QByteArray)
    field_property,                  // the field text belongs to (see rt::Run::field)
    hidden_text_property,            // hidden text an object character holds (QString)
    hidden_property,                 // the format is hidden text's (\v)
    list_property,                   // \ls and \ilvl of a list item's block (QList<int>)
    numbering_property,              // a block's old numbering, as its RTF group (QByteArray)
    label_property,                  // the label a list item's block shows (QString)
    label_text_property,             // marks the characters of that label: not the text's
    list_indent_property,            // the indent a list item is shown with, added (twips)
    note_block_property,             // a block of the footnotes listed at the end: not text
    gap_block_property,              // the block Qt keeps before a table that starts a
                                     // document or a cell: no paragraph while it stays empty
    row_definitions_property,        // a table's rows' definitions (QStringList, see
                                     // rt::TablePlace::row)
    row_cells_property,              // a table's rows' numbers of cells (QList<int>); cells
                                     // beyond them only make the table square
    merged_cell_property,            // a cell merged into the one before it (\clmrg)
};

constexpr int list_indent_twips = 360;  // per level, for items that give none

// A group carried through stands in the text as an object character of this type, which no
// handler draws: it takes no room, and goes where its place goes.
constexpr int carried_object_type = QTextFormat::UserObject + 1;

// The document's head (the source's font and colour tables and the groups before its text),
// kept with a text document as the RTF of an empty document that has them.
constexpr const char* head_property = "qlx_rtf_head";

void keep_head(QTextDocument& document, const rt::Document& model) {
    if (model.source_fonts.empty() && model.source_colors.empty() && model.head_groups.empty() &&
        model.source_code_page == 1252) {
        document.setProperty(head_property, QVariant());
        return;
    }
    rt::Document head;
    head.source_fonts = model.source_fonts;
    head.source_colors = model.source_colors;
    head.head_groups = model.head_groups;
    head.source_code_page = model.source_code_page;
    document.setProperty(head_property, QByteArray::fromStdString(rt::to_rtf(head)));
}

// The head kept with a document: its tables always (groups carried in the text refer to
// them), its groups only for the whole document.
void restore_head(rt::Document& model, const QTextDocument& document, bool whole) {
    const QByteArray rtf = document.property(head_property).toByteArray();
    if (rtf.isEmpty()) {
        return;
    }
    rt::Document head = rt::read_rtf(std::string_view(rtf.constData(), rtf.size())).document;
    model.source_fonts = std::move(head.source_fonts);
    model.source_colors = std::move(head.source_colors);
    model.source_code_page = head.source_code_page;
    if (whole) {
        model.head_groups = std::move(head.head_groups);
    }
}

double twips_to_screen(int twips) {
    return twips * screen_dots_per_inch() / 1440.0;
}

int screen_to_twips(double pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / screen_dots_per_inch()));
}

QTextBlockFormat to_qt_block_format(const rt::ParagraphFormat& format) {
    QTextBlockFormat qt;
    static constexpr Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                   Qt::AlignRight, Qt::AlignJustify};
    qt.setAlignment(alignments[static_cast<std::size_t>(format.alignment)]);
    qt.setLeftMargin(twips_to_screen(format.left_indent));
    qt.setRightMargin(twips_to_screen(format.right_indent));
    qt.setTextIndent(twips_to_screen(format.first_line_indent));
    qt.setTopMargin(twips_to_screen(format.space_before));
    qt.setBottomMargin(twips_to_screen(format.space_after));
    if (format.line_spacing_multiple && format.line_spacing != 0) {
        qt.setLineHeight(std::abs(format.line_spacing) * 100.0 / 240.0,
                         QTextBlockFormat::ProportionalHeight);
    } else if (format.line_spacing > 0) {
        qt.setLineHeight(twips_to_screen(format.line_spacing), QTextBlockFormat::MinimumHeight);
    } else if (format.line_spacing < 0) {
        qt.setLineHeight(twips_to_screen(-format.line_spacing), QTextBlockFormat::FixedHeight);
    } else if (format.line_spacing_multiple) {
        qt.setProperty(line_spacing_multiple_property, true);
    }
    if (format.page_break_before) {
        qt.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    if (format.list > 0 || format.list_level != 0) {
        qt.setProperty(list_property,
                       QVariant::fromValue(QList<int>{format.list, format.list_level}));
    }
    if (format.numbering.kind != rt::OldNumbering::Kind::none) {
        // Kept as the paragraph the writer writes for it, read back the same way.
        rt::Document numbered;
        numbered.paragraphs().back().format.numbering = format.numbering;
        qt.setProperty(numbering_property, QByteArray::fromStdString(rt::to_rtf(numbered)));
    }
    // A list item that gives no indent of its own is shown indented by its level.
    if ((format.list > 0 || format.numbering.kind != rt::OldNumbering::Kind::none) &&
        format.left_indent == 0) {
        const int indent = (format.list_level + 1) * list_indent_twips;
        qt.setLeftMargin(twips_to_screen(indent));
        qt.setProperty(list_indent_property, indent);
    }
    return qt;
}

rt::ParagraphFormat from_qt_block_format(const QTextBlockFormat& qt) {
    rt::ParagraphFormat format;
    const Qt::Alignment alignment = qt.alignment() & Qt::AlignHorizontal_Mask;
    format.alignment = alignment & Qt::AlignHCenter  ? rt::Alignment::center
                       : alignment & Qt::AlignRight  ? rt::Alignment::right
                       : alignment & Qt::AlignJustify ? rt::Alignment::justify
                                                      : rt::Alignment::left;
    format.left_indent = screen_to_twips(qt.leftMargin());
    format.right_indent = screen_to_twips(qt.rightMargin());
    format.first_line_indent = screen_to_twips(qt.textIndent());
    format.space_before = screen_to_twips(qt.topMargin());
    format.space_after = screen_to_twips(qt.bottomMargin());
    switch (qt.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            format.line_spacing = static_cast<int>(std::lround(qt.lineHeight() * 240.0 / 100.0));
            format.line_spacing_multiple = true;
            break;
        case QTextBlockFormat::MinimumHeight:
            format.line_spacing = screen_to_twips(qt.lineHeight());
            break;
        case QTextBlockFormat::FixedHeight:
            format.line_spacing = -screen_to_twips(qt.lineHeight());
            break;
        default:
            format.line_spacing_multiple = qt.boolProperty(line_spacing_multiple_property);
            break;
    }
    format.page_break_before =
        (qt.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
    const QList<int> list = qt.property(list_property).value<QList<int>>();
    if (list.size() == 2) {
        format.list = list[0];
        format.list_level = list[1];
    }
    const QByteArray numbering = qt.property(numbering_property).toByteArray();
    if (!numbering.isEmpty()) {
        format.numbering = rt::read_rtf(std::string_view(numbering.constData(), numbering.size()))
                               .document.paragraphs()
                               .front()
                               .format.numbering;
    }
    if (qt.hasProperty(list_indent_property)) {
        format.left_indent = std::max(format.left_indent - qt.intProperty(list_indent_property), 0);
    }
    return format;
}

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
};

// The format a paragraph's block carries: what its empty line is shown in, or its first run's.
std::size_t block_format(const rt::Paragraph& paragraph) {
    return paragraph.runs.empty() ? paragraph.mark_format : paragraph.runs.front().format;
}

// The widths of a row's cells (twips) from its definition's \cellxN, their right edges.
std::vector<int> cell_widths(const std::string& definition) {
    std::vector<int> widths;
    int left = 0;
    rt::for_each_token(definition, [&](const rt::Token& token, int) {
        if (token.kind != rt::TokenKind::control_word) {
            return;
        }
        if (token.text == "trowd") {
            widths.clear();
            left = 0;
        } else if (token.text == "cellx") {
            widths.push_back(token.parameter - left);
            left = token.parameter;
        }
    });
    return widths;
}

// Inserts a model's paragraphs at a cursor: a block each, tables as QTextTables (a table's
// rows, their definitions and cells kept in its formats), nested in their cells.
class ParagraphInserter {
public:
    ParagraphInserter(const rt::Document& model, QTextCursor& cursor, Inserter& inserter,
                      const std::vector<QTextCharFormat>& formats)
        : model_(model), paragraphs_(model.paragraphs()), cursor_(cursor), inserter_(inserter),
          formats_(formats) {}

    // Paragraphs [begin, end), all of `depth` or deeper, the first into the cursor's block.
    void insert(std::size_t begin, std::size_t end, int depth) {
        bool block_free = true;
        for (std::size_t i = begin; i < end;) {
            if (paragraphs_[i].table.depth > depth) {
                std::size_t table_end = i;
                while (table_end < end && paragraphs_[table_end].table.depth > depth) {
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
            const std::size_t format = block_format(paragraphs_[i]);
            if (block_free) {
                inserter_.flush();
                cursor_.setBlockCharFormat(formats_[format]);
            } else {
                inserter_.add(paragraph_separator, format);
            }
            block_free = false;
            insert_runs(paragraphs_[i]);
            ++i;
        }
    }

private:
    struct Cell {
        std::size_t begin;
        std::size_t end;
        bool merged;
    };

    void mark_gap() {
        QTextBlockFormat gap;
        gap.setProperty(gap_block_property, true);
        cursor_.mergeBlockFormat(gap);
    }

    void insert_runs(const rt::Paragraph& paragraph) {
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
                inserter_.add_carried(run);
            } else if (model_.format(run.format).hidden) {
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
            const rt::TablePlace& place = paragraphs_[i].table;
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
                const Cell& content = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
                if (content.merged) {
                    QTextTableCellFormat merged = cell.format().toTableCellFormat();
                    merged.setProperty(merged_cell_property, true);
                    cell.setFormat(merged);
                }
                insert(content.begin, content.end, depth);
                inserter_.flush();
            }
        }
        cursor_ = table->lastCursorPosition();
        cursor_.movePosition(QTextCursor::NextBlock);
    }

    const rt::Document& model_;
    const std::vector<rt::Paragraph>& paragraphs_;
    QTextCursor& cursor_;
    Inserter& inserter_;
    const std::vector<QTextCharFormat>& formats_;
};

void append_fragment(rt::Document& model, const QTextFragment& fragment, int start, int end,
                     const QFont& default_font) {
    const int from = std::max(start, fragment.position());
    const int to = std::min(end, fragment.position() + fragment.length());
    if (from >= to) {
        return;
    }
    const QString text = fragment.text().mid(from - fragment.position(), to - from);
    const QTextCharFormat qt = fragment.charFormat();
    if (qt.boolProperty(label_text_property)) {
        return;  // a list item's label: the list numbers it again
    }
    const std::size_t format = model.intern(from_qt_format(qt, default_font));
    const QByteArray rtf = qt.property(carried_rtf_property).toByteArray();
    const auto field = static_cast<std::uint32_t>(qt.intProperty(field_property));
    if (qt.hasProperty(hidden_text_property)) {
        const rt::CharFormat hidden = from_qt_format(qt, default_font);
        const std::string hidden_text = qt.stringProperty(hidden_text_property).toStdString();
        for (const QChar c : fragment.text().mid(from - fragment.position(), to - from)) {
            if (c == QChar::ObjectReplacementCharacter) {
                model.append_text(hidden_text, model.intern(hidden), field);
            }
        }
        return;
    }
    if (rtf.isEmpty()) {
        model.append_text(text.toStdString(), format, field);
    } else if (qt.objectType() != carried_object_type &&
               qt.objectType() != QTextFormat::ImageObject) {
        model.append_carried(std::string_view(rtf.constData(), rtf.size()), format, field,
                             text.toStdString());
    } else {
        // Each object character of the fragment stands for one carried group.
        for (const QChar c : text) {
            if (c == QChar::ObjectReplacementCharacter) {
                model.append_carried(std::string_view(rtf.constData(), rtf.size()), format,
                                     field);
            }
        }
    }
}

// The characters [start, end) of a document as a model; a block that begins at `end` is
// included as an empty paragraph, since the separator before it is inside the range.
// The footnotes' texts, numbered, after the document's text: shown, never saved as text.
void list_footnotes(QTextCursor& cursor, const rt::Document& model) {
    int number = 0;
    QTextBlockFormat note_block;
    note_block.setProperty(note_block_property, true);
    QTextCharFormat note_text;
    note_text.setProperty(label_text_property, true);
    note_text.setForeground(QColor(Qt::darkGray));
    for (const rt::Paragraph& paragraph : model.paragraphs()) {
        for (const rt::Run& run : paragraph.runs) {
            const std::string text = run.carried() ? rt::footnote_text(run.rtf) : std::string();
            if (text.empty()) {
                continue;
            }
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock(note_block, note_text);
            cursor.insertText(QStringLiteral("%1. ").arg(++number) + QString::fromStdString(text),
                              note_text);
        }
    }
}

// Whether a cell holds any text (a block, or more than one, with something in it).
bool has_text(const QTextTableCell& cell) {
    return cell.lastCursorPosition().position() > cell.firstCursorPosition().position();
}

// Where a block stands in the tables of its document.
rt::TablePlace table_place(const QTextBlock& block) {
    rt::TablePlace place;
    QTextTable* table = QTextCursor(block).currentTable();
    if (table == nullptr) {
        return place;
    }
    for (QTextFrame* frame = table; frame != nullptr; frame = frame->parentFrame()) {
        place.depth += qobject_cast<QTextTable*>(frame) != nullptr ? 1 : 0;
    }
    const QTextTableCell cell = table->cellAt(block.position());
    if (!block.contains(cell.lastCursorPosition().position())) {
        return place;  // a paragraph inside its cell
    }
    const QTextTableFormat format = table->format();
    const QList<int> cells = format.property(row_cells_property).value<QList<int>>();
    const int row = cell.row();
    // The row ends with its last cell, or the last of the cells beyond it that holds text.
    int last = (row < cells.size() ? cells[row] : table->columns()) - 1;
    for (int column = last + 1; column < table->columns(); ++column) {
        last = has_text(table->cellAt(row, column)) ? column : last;
    }
    place.end = cell.column() >= last ? rt::TablePlace::End::row : rt::TablePlace::End::cell;
    place.merged = cell.format().boolProperty(merged_cell_property);
    if (place.end == rt::TablePlace::End::row) {
        const QStringList definitions = format.property(row_definitions_property).toStringList();
        place.row = row < definitions.size() && !definitions[row].isEmpty()
                        ? definitions[row].toStdString()
                        : rt::TableStructure::equal_cells(place.depth, last + 1);
    }
    return place;
}

rt::Document model_of_range(const QTextDocument& document, int start, int end) {
    rt::Document model;
    restore_head(model, document, start == 0 && end >= document.characterCount() - 1);
    model.set_default_tab_twips(screen_to_twips(document.defaultTextOption().tabStopDistance()));
    const QFont default_font = document.defaultFont();
    const bool tables = !document.rootFrame()->childFrames().isEmpty();
    bool first = true;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        if (block.blockFormat().boolProperty(note_block_property) ||
            (block.blockFormat().boolProperty(gap_block_property) && block.length() == 1)) {
            continue;  // the footnotes listed after the text; a table's place holder
        }
        const rt::TablePlace place = tables ? table_place(block) : rt::TablePlace();
        if (!first) {
            model.end_paragraph(model.paragraphs().back().mark_format);
        }
        first = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            append_fragment(model, it.fragment(), start, end, default_font);
        }
        rt::Paragraph& paragraph = model.paragraphs().back();
        paragraph.format = from_qt_block_format(block.blockFormat());
        paragraph.label = block.blockFormat().stringProperty(label_property).toStdString();
        paragraph.table = place;
        paragraph.mark_format = model.intern(from_qt_format(block.charFormat(), default_font));
    }
    return model;
}

// Gives each block the format of its paragraph, and the format of its paragraph mark as its
// character format where that is not the one the block was made with; blocks of default
// paragraphs are left as they are, so that a document without paragraph formats costs
// nothing more.
void set_block_formats(QTextDocument& document, const std::vector<rt::Paragraph>& paragraphs,
                       const std::vector<QTextCharFormat>& formats) {
    const rt::ParagraphFormat plain;
    QTextBlock block = document.begin();
    for (const rt::Paragraph& paragraph : paragraphs) {
        while (block.isValid() && block.blockFormat().boolProperty(gap_block_property)) {
            block = block.next();
        }
        if (!block.isValid()) {
            break;
        }
        if (paragraph.format != plain || !paragraph.label.empty()) {
            QTextBlockFormat format = to_qt_block_format(paragraph.format);
            if (!paragraph.label.empty()) {
                format.setProperty(label_property, QString::fromStdString(paragraph.label));
            }
            QTextCursor(block).setBlockFormat(format);
        }
        if (paragraph.mark_format != block_format(paragraph)) {
            QTextCursor(block).setBlockCharFormat(formats[paragraph.mark_format]);
        }
        block = block.next();
    }
}

}  // namespace

QTextCharFormat to_qt_format(const rt::CharFormat& format) {
    QTextCharFormat qt;
    if (!format.font_family.empty()) {
        // Formats that differ in anything but the font share one text of the family: a long
        // name is converted once, not once per format.
        thread_local rt::FontName last_name;
        thread_local QString last_family;
        if (!last_name.shares_text_with(format.font_family)) {
            last_name = format.font_family;
            last_family = QString::fromStdString(format.font_family.str());
        }
        qt.setFontFamilies({last_family});
    }
    qt.setFontPointSize(format.point_size());
    qt.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    qt.setFontItalic(format.italic);
    qt.setFontUnderline(format.underline);
    qt.setFontStrikeOut(format.strike_out);
    if (format.color) {
        qt.setForeground(to_qcolor(*format.color));
    }
    if (format.highlight) {
        qt.setBackground(to_qcolor(*format.highlight));
    }
    if (format.position != rt::VerticalPosition::baseline) {
        qt.setVerticalAlignment(format.position == rt::VerticalPosition::superscript
                                    ? QTextCharFormat::AlignSuperScript
                                    : QTextCharFormat::AlignSubScript);
    }
    if (format.hidden) {
        qt.setProperty(hidden_property, true);
    }
    if (format.raise_half_points != 0) {
        qt.setProperty(raise_half_points_property, format.raise_half_points);
        qt.setBaselineOffset(100.0 * format.raise_half_points / format.half_points);
    }
    return qt;
}

rt::CharFormat from_qt_format(const QTextCharFormat& qt, const QFont& default_font) {
    rt::CharFormat format;
    const QString family = font_family(qt);
    format.font_family = (family.isEmpty() ? default_font.family() : family).toStdString();
    const double points =
        qt.hasProperty(QTextFormat::FontPointSize) ? qt.fontPointSize() : default_font.pointSizeF();
    // RTF sizes are whole half-points; like the Windows rich-text control, a size between two
    // is cut down (8.25 points, the window's default, is written as 8).
    format.half_points = points > 0
                             ? std::clamp(static_cast<int>(points * 2 + 1e-6), 1, max_half_points)
                             : rt::default_half_points;
    format.bold = qt.hasProperty(QTextFormat::FontWeight) ? qt.fontWeight() >= QFont::DemiBold
                                                          : default_font.bold();
    format.italic =
        qt.hasProperty(QTextFormat::FontItalic) ? qt.fontItalic() : default_font.italic();
    format.underline = qt.hasProperty(QTextFormat::TextUnderlineStyle) ||
                               qt.hasProperty(QTextFormat::FontUnderline)
                           ? qt.fontUnderline()
                           : default_font.underline();
    format.strike_out =
        qt.hasProperty(QTextFormat::FontStrikeOut) ? qt.fontStrikeOut() : default_font.strikeOut();
    format.color = from_brush(qt.foreground());
    format.highlight = from_brush(qt.background());
    format.position = qt.verticalAlignment() == QTextCharFormat::AlignSuperScript
                          ? rt::VerticalPosition::superscript
                      : qt.verticalAlignment() == QTextCharFormat::AlignSubScript
                          ? rt::VerticalPosition::subscript
                          : rt::VerticalPosition::baseline;
    format.raise_half_points = qt.intProperty(raise_half_points_property);
    format.hidden = qt.boolProperty(hidden_property);
    return format;
}

void load_model(QTextDocument& document, const rt::Document& model) {
    std::vector<QTextCharFormat> formats;
    formats.reserve(model.formats().size());
    for (const rt::CharFormat& format : model.formats()) {
        formats.push_back(to_qt_format(format));
    }
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(twips_to_screen(model.default_tab_twips()));
    document.setDefaultTextOption(option);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    const std::vector<rt::Paragraph>& paragraphs = model.paragraphs();
    {
        Inserter inserter(cursor, formats);
        ParagraphInserter(model, cursor, inserter, formats).insert(0, paragraphs.size(), 0);
    }
    set_block_formats(document, paragraphs, formats);
    list_footnotes(cursor, model);
    cursor.endEditBlock();
    keep_head(document, model);
    document.setUndoRedoEnabled(undo);
}

rt::RtfProblems load_rtf(QTextDocument& document, std::string_view rtf) {
    rt::RtfReadResult read = rt::read_rtf(rtf);
    load_model(document, read.document);
    return read.problems;
}

rt::Document document_model(const QTextDocument& document) {
    return model_of_range(document, 0, document.characterCount() - 1);
}

std::string save_rtf(const QTextDocument& document) {
    return rt::to_rtf(document_model(document));
}

}  // namespace qlx::document
