#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "comparison/text_diff.h"
#include "model/diagnostics.h"

namespace qlx::comparison {

// An export's procedures as a comparison sees them, in export order: each one's name (UTF-8),
// its converted document, and the document's text as `qlx-convert --text` writes it (lines
// ended by LF) once a comparison has needed it.
struct ExportTexts {
    struct Procedure {
        std::string name;
        std::string rtf;
        std::string text;
        bool text_read = false;
    };
    std::vector<Procedure> procedures;
    conversion::DamageLog damage;
};

// Converts an export's bytes (as qlx-convert reads them: Windows-1252, or UTF-8 with a mark)
// into memory.
ExportTexts export_texts(std::string export_bytes);

// Reads back the text of these procedures (indexes into `texts.procedures`) that have none
// yet, on as many threads as the machine has.
void read_texts(ExportTexts& texts, const std::vector<std::size_t>& which);

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
// alone is no change. Compares the texts of each pair line by line; a pair whose documents
// are the same bytes has the same text and is not read back. Reads the texts of the added
// and removed procedures too. In the new export's order, then the removed ones in the old
// export's order. The exports must outlive the result.
std::vector<ProcedureComparison> compare_exports(ExportTexts& old_export, ExportTexts& new_export);

}  // namespace qlx::comparison
