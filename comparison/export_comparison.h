#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "comparison/text_diff.h"
#include "conversion/diagnostics.h"

namespace qlx::comparison {

// An export's procedures as a comparison sees them: each one's name (UTF-8) and the text of
// its document, as `qlx-convert --text` writes it (lines ended by LF), in export order.
struct ExportTexts {
    struct Procedure {
        std::string name;
        std::string text;
    };
    std::vector<Procedure> procedures;
    conversion::DamageLog damage;
};

// Converts an export's bytes (as qlx-convert reads them: Windows-1252, or UTF-8 with a mark)
// into memory and reads back each document's text, on as many threads as the machine has.
ExportTexts export_texts(std::string export_bytes);

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
// alone is no change. Compares the texts of each pair line by line. In the new export's
// order, then the removed ones in the old export's order. The texts must outlive the result.
std::vector<ProcedureComparison> compare_exports(const ExportTexts& old_export,
                                                 const ExportTexts& new_export);

}  // namespace qlx::comparison
