#include "document/rich_text_adapter.h"

#include <QFont>
#include <QString>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>
#include <QTextTable>
#include <QTextTableCell>
#include <QTextTableFormat>
#include <QVariant>

#include <algorithm>
#include <string>

#include "document/rich_text_properties.h"
#include "richtext/rtf_writer.h"
#include "richtext/table_structure.h"

namespace qlx::document {

using namespace adapter;

namespace {

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
                model.append_carried(std::string_view(rtf.constData(), rtf.size()), format, field);
            }
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

// The characters [start, end) of a document as a model; a block that begins at `end` is
// included as an empty paragraph, since the separator before it is inside the range.
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

}  // namespace

rt::Document document_model(const QTextDocument& document) {
    return model_of_range(document, 0, document.characterCount() - 1);
}

std::string save_rtf(const QTextDocument& document) {
    return rt::to_rtf(document_model(document));
}

}  // namespace qlx::document
