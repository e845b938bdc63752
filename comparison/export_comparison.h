#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "comparison/text_diff.h"
#include "model/diagnostics.h"

namespace qlx::comparison {

// An export as a comparison sees it: the fields of its header (UTF-8), and its procedures in
// export order, each one's name (UTF-8), its converted document, and once a comparison has
// needed it the document's text without the export header that begins every document (as
// `qlx-convert --text` writes it, lines ended by LF).
struct ExportTexts {
    struct HeaderField {
        std::string name;  // "hospital", "date", ...; "field N" for a field without a label
        std::string value;
    };
    struct Procedure {
        std::string name;
        std::string rtf;
        std::size_t header_bytes = 0;  // the export header's part of `rtf`, at its start
        std::size_t header_lines = 0;  // and of its text
        std::string text;
        bool text_read = false;
    };
    std::vector<HeaderField> header;
    std::vector<Procedure> procedures;
    conversion::DamageLog damage;
};

// The fields of an export's header (its first line, Windows-1252), by the names of their
// labels, values in UTF-8.
std::vector<ExportTexts::HeaderField> header_fields(std::string_view export_text);

// Converts an export's bytes (as qlx-convert reads them: Windows-1252, or UTF-8 with a mark)
// into memory.
ExportTexts export_texts(std::string export_bytes);

// Reads back the text of these procedures (indexes into `texts.procedures`) that have none
// yet, on as many threads as the machine has.
void read_texts(ExportTexts& texts, const std::vector<std::size_t>& which);

// A field of the export header that differs between two exports (a field one of them does not
// have is empty there).
struct HeaderChange {
    std::string field;
    std::string old_value;
    std::string new_value;
};

// The fields of the two exports' headers that differ, in header order.
std::vector<HeaderChange> compare_headers(const ExportTexts& old_export,
                                          const ExportTexts& new_export);

// A change of the header in a line of its own (UTF-8, no line end):
// "Export header: date 2026-11-02 → 2026-12-01".
std::string describe(const HeaderChange& change);

enum class ProcedureState { unchanged, changed, added, removed };

// One procedure of the comparison: of both exports (unchanged or changed), of the new one
// only (added) or of the old one only (removed).
struct ProcedureComparison {
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::string name;
    ProcedureState state = ProcedureState::unchanged;
    std::size_t old_index = none;  // its place in the old export's procedures, if there
    std::size_t new_index = none;  // and in the new one's
    std::size_t added_lines = 0;
    std::size_t removed_lines = 0;
    std::vector<DiffLine> lines;  // a changed one's lines, aligned; views into the texts
};

// Pairs the procedures of two exports by name: the n-th procedure of a name in the old export
// with the n-th of that name in the new one, wherever each stands, so that a change of order
// alone is no change. The export headers at the top of the documents are left out: see
// compare_headers. Compares the texts of each pair line by line; a pair whose documents are
// the same bytes below the header has the same text and is not read back. Reads the texts of the
// added and removed procedures too. In the new export's order, then the removed ones in the old
// export's order. The exports must outlive the result.
std::vector<ProcedureComparison> compare_exports(ExportTexts& old_export, ExportTexts& new_export);

// A procedure's lines as its diff shows them: a changed one's aligned lines, an added or
// removed one's text whole (as `diff -u` shows a file compared with an empty one). The views
// point into the exports' texts.
std::vector<DiffLine> diff_lines_of(const ProcedureComparison& procedure,
                                    const ExportTexts& old_export, const ExportTexts& new_export);

}  // namespace qlx::comparison
