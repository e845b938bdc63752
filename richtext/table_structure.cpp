#include "richtext/table_structure.h"

#include <algorithm>
#include <vector>

#include "richtext/rtf_lexer.h"

namespace qlx::richtext {

namespace {

using End = TablePlace::End;

constexpr std::size_t max_cells = 63;   // the most cells a row of Word has
constexpr int cell_width_twips = 1440;  // of a row defined anew: an inch a cell

// A nested row's {\*\nesttableprops ...} group as written back: its row words alone. Its
// text, and what else it holds, the reader has read as the row's (and is written there).
std::string nested_row_definition(std::string_view group) {
    std::string definition = "{\\*\\nesttableprops";
    for_each_token(group, [&](const Token& token, int depth) {
        if (depth == 1 && token.kind == TokenKind::control_word &&
            is_row_definition_word(token.text)) {
            definition += '\\';
            definition += token.text;
            if (token.has_parameter) {
                definition += std::to_string(token.parameter);
            }
        }
    });
    return definition + "\\nestrow}";
}

// A row's definition with a right edge (\cellxN) for each of its `cells`: word processors
// drop the text of cells that their row does not define. Cells the source left undefined
// are an inch wide each, after the last it defined.
std::string with_every_cell(std::string_view definition, std::size_t cells) {
    const std::vector<CellDefinition> defined = row_cells(definition);
    std::string row(definition);
    if (defined.size() >= std::min(cells, max_cells)) {
        return row;
    }
    std::string edges;
    int right = defined.empty() ? 0 : defined.back().right;
    for (std::size_t cell = defined.size(); cell < std::min(cells, max_cells); ++cell) {
        right += cell_width_twips;
        edges += "\\cellx" + std::to_string(right);
    }
    const std::size_t end = row.ends_with("\\nestrow}") ? row.size() - 9 : row.size();
    row.insert(end, edges);
    return row;
}

}  // namespace

void TableStructure::place(Document& document, int depth, End end) {
    depth = std::max(depth, 0);
    close_to(document, depth);
    TablePlace& place = document.paragraphs().back().table;
    place = {};
    place.depth = depth;
    open_ = depth;
    if (depth == 0) {
        return;
    }
    place.end = end;
    if (end == End::row) {
        make_row_end(document, document.paragraphs().size() - 1, {});
    }
}

bool TableStructure::end_row(Document& document, int depth, std::string_view definition) {
    std::vector<Paragraph>& paragraphs = document.paragraphs();
    depth = std::max(depth, 1);
    std::size_t row_end = std::string::npos;
    // Groups carried between the last cell and the row's end (a bookmark's end, say) add no
    // cell: they go on with the paragraph after the row.
    const bool no_text = std::ranges::all_of(paragraphs.back().runs, [](const Run& run) {
        return run.carried() && run.text.empty() && run.field == 0;
    });
    if (no_text && paragraphs.size() >= 2 &&
        paragraphs[paragraphs.size() - 2].table.depth == depth &&
        paragraphs[paragraphs.size() - 2].table.end == End::cell) {
        row_end = paragraphs.size() - 2;
    } else {
        place(document, depth, End::cell);
        row_end = paragraphs.size() - 1;
    }
    make_row_end(document, row_end, definition);
    nested_row_end_ = depth > 1 ? row_end : std::string::npos;
    return row_end == paragraphs.size() - 1;
}

void TableStructure::nested_row_defined(Document& document, std::string_view group) {
    if (nested_row_end_ < document.paragraphs().size()) {
        make_row_end(document, nested_row_end_, nested_row_definition(group));
    }
    nested_row_end_ = std::string::npos;
}

std::string TableStructure::equal_cells(int depth, int cells) {
    std::string row = depth > 1 ? "{\\*\\nesttableprops\\trowd" : "\\trowd";
    const auto defined = std::clamp<std::size_t>(static_cast<std::size_t>(cells), 1, max_cells);
    for (std::size_t cell = 1; cell <= defined; ++cell) {
        row += "\\cellx" + std::to_string(cell * cell_width_twips);
    }
    if (depth > 1) {
        row += "\\nestrow}";
    }
    return row;
}

void TableStructure::close_to(Document& document, int depth) {
    std::vector<Paragraph>& paragraphs = document.paragraphs();
    for (; open_ > depth; --open_) {
        // The paragraph before the one being read is the table's last, or the end of a table
        // nested in its last cell.
        const std::size_t last = paragraphs.size() - 2;
        if (paragraphs[last].table.depth == open_) {
            if (paragraphs[last].table.end != End::row) {
                make_row_end(document, last, {});
            }
            continue;
        }
        Paragraph row_end;
        row_end.mark_format = paragraphs[last].mark_format;
        row_end.table.depth = open_;
        paragraphs.insert(paragraphs.end() - 1, std::move(row_end));
        make_row_end(document, paragraphs.size() - 2, {});
    }
}

void TableStructure::make_row_end(Document& document, std::size_t index,
                                  std::string_view definition) {
    std::vector<Paragraph>& paragraphs = document.paragraphs();
    const int depth = paragraphs[index].table.depth;
    // The row's cells, last first: the paragraphs of its depth that end a cell, back to the
    // row before or the start of the table.
    std::vector<std::size_t> cells = {index};
    for (std::size_t i = index; i-- > 0;) {
        const TablePlace& place = paragraphs[i].table;
        if (place.depth < depth || (place.depth == depth && place.end == End::row)) {
            break;
        }
        if (place.depth == depth && place.end == End::cell) {
            cells.push_back(i);
        }
    }
    TablePlace& row_end = paragraphs[index].table;
    row_end.end = End::row;
    row_end.row = definition.empty() ? equal_cells(depth, static_cast<int>(cells.size()))
                                     : with_every_cell(definition, cells.size());
    const std::vector<CellDefinition> defined = row_cells(row_end.row);
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        paragraphs[cells[cells.size() - 1 - cell]].table.merged =
            cell < defined.size() && defined[cell].merged;
    }
}

std::vector<CellDefinition> row_cells(std::string_view definition) {
    std::vector<CellDefinition> cells;
    bool next_merged = false;
    for_each_token(definition, [&](const Token& token, int) {
        if (token.kind != TokenKind::control_word) {
            return;
        }
        if (token.text == "trowd") {
            cells.clear();
            next_merged = false;
        } else if (token.text == "clmrg") {
            next_merged = true;
        } else if (token.text == "cellx" && cells.size() < max_cells) {
            cells.push_back({token.parameter, next_merged});
            next_merged = false;
        }
    });
    return cells;
}

bool is_row_definition_word(std::string_view letters) {
    static constexpr std::string_view prefixes[] = {
        "tr",      "cl",     "brdr",   "tbl",      "ts",    "irow",
        "lastrow", "ltrrow", "rtlrow", "tdfrmtxt", "tpos",  "tphcol",
        "tphmrg",  "tphpg",  "tpvmrg", "tpvpara",  "tpvpg", "tabsnoovrlp"};
    return letters == "cellx" || std::ranges::any_of(prefixes, [&](std::string_view prefix) {
               return letters.starts_with(prefix);
           });
}

}  // namespace qlx::richtext
