#pragma once

// What the window's text documents keep beside Qt's own formats, so that a document read
// from RTF is saved as it was read: shared by loading (rich_text_loading.cpp), saving
// (rich_text_saving.cpp) and the format conversions (rich_text_formats.cpp).

#include <QTextBlockFormat>
#include <QTextFormat>

#include <string_view>

#include "richtext/document.h"

class QTextDocument;

namespace qlx::document::adapter {

namespace rt = qlx::richtext;

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
    style_property,                  // a block's paragraph style (\sN)
    default_color_property,          // the default colour named (rt::CharFormat)
    size_not_given_property,         // no size named (rt::CharFormat::size_given)
    east_asian_font_property,        // rt::CharFormat::east_asian_family (QString)
    font_charset_property,           // rt::CharFormat::font_charset, where one is given
    character_style_property,        // rt::CharFormat::character_style, where one is named
    underline_kind_property,         // rt::CharFormat::underline_kind, where not a single line
};

constexpr int list_indent_twips = 360;  // per level, for items that give none

// A group carried through stands in the text as an object character of this type, which no
// handler draws: it takes no room, and goes where its place goes.
constexpr int carried_object_type = QTextFormat::UserObject + 1;

// The property of a text document that keeps its head (see keep_head).
constexpr const char* head_property = "qlx_rtf_head";

// Distances of the model (twips) on the screen documents are laid out for (pixels).
double twips_to_screen(int twips);
int screen_to_twips(double pixels);

// The left indent a paragraph is shown with (twips): its own, or a list item's by its level.
int shown_left_indent(const rt::ParagraphFormat& format);
QTextBlockFormat to_qt_block_format(const rt::ParagraphFormat& format);
rt::ParagraphFormat from_qt_block_format(const QTextBlockFormat& qt);

// The document's head (the source's font and colour tables and the groups before its text),
// kept with a text document as the RTF of an empty document that has them; given back, its
// tables always (groups carried in the text refer to them), its groups only for the whole
// document.
void keep_head(QTextDocument& document, const rt::Document& model);
void restore_head(rt::Document& model, const QTextDocument& document, bool whole);

}  // namespace qlx::document::adapter
