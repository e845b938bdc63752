#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/document.h"

namespace qlx::richtext {

// Gives the paragraphs a reader ends their places in tables (TablePlace) and keeps every
// table whole whatever the RTF says: a table left without its last row ended gets that end,
// and every row keeps a definition (the source's, or one of equal cells) so that it is
// written back as it was read. A table may start nested in the first cell of tables that
// start with it.
class TableStructure {
public:
    // The paragraph being read (the document's last) ends: by \par at `depth` (0 outside
    // tables), by \cell or \nestcell, or as the last cell of a row. Closes the tables it
    // leaves. Call before the document ends the paragraph.
    void place(Document& document, int depth, TablePlace::End end);

    // \row (`depth` 1, with the definition in force) or \nestrow (depth 2 or more; its
    // definition, the group it is in, comes with nested_row_defined). Returns whether the
    // paragraph being read ends with it (text came since the last cell) and the caller is to
    // end it; otherwise the last cell ended is made the row's end.
    bool end_row(Document& document, int depth, std::string_view definition);
    // The {\*\nesttableprops ...} group of the nested row ended last; its row words are the
    // row's definition.
    void nested_row_defined(Document& document, std::string_view group);

    // The document ends: the tables still open close before its last paragraph.
    void end_document(Document& document) { close_to(document, 0); }

    // A row definition of `cells` equal cells, as the writer writes one.
    static std::string equal_cells(int depth, int cells);

private:
    void close_to(Document& document, int depth);
    // Makes paragraph `index` the end of its row, with that definition (or one of equal cells
    // when empty), and marks the row's cells merged as the definition says.
    void make_row_end(Document& document, std::size_t index, std::string_view definition);

    int open_ = 0;  // the depth of the tables open after the paragraphs ended so far
    // The paragraph that the last \nestrow ended, waiting for its definition; none: npos.
    std::size_t nested_row_end_ = std::string::npos;
};

// A cell as a row's definition defines it: its right edge (\cellxN, twips from the row's
// left) and whether it is merged into the cell before it (\clmrg).
struct CellDefinition {
    int right = 0;
    bool merged = false;
};
// The cells a row's definition defines, in order (the last \trowd's, at most 63).
std::vector<CellDefinition> row_cells(std::string_view definition);

// Whether a control word (its letters) belongs to a table row's definition: \trowd, \cellxN,
// the row's and its cells' borders, widths, shading and alignments.
bool is_row_definition_word(std::string_view letters);

}  // namespace qlx::richtext
