#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/diagnostics.h"
#include "model/export_model.h"

namespace qlx::conversion {

enum class ExportEncoding {
    none,         // not an export
    windows1252,  // an export as the system writes it
    utf8,         // an export that an editor re-saved as UTF-8 with a byte-order mark
};

inline constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";

// How many bytes from the start of a file export_encoding() needs to decide.
inline constexpr std::size_t export_start_size =
    utf8_byte_order_mark.size() + export_signature.size();

// Whether a file that starts with these bytes is an export, and in which encoding.
ExportEncoding export_encoding(std::string_view start);

// Turns the text of an export re-saved as UTF-8 back into the Windows-1252 text the export
// format is written in, in place, and removes the byte-order mark. A character with no
// Windows-1252 form becomes "?" and a byte that is not UTF-8 is kept as it is; each such
// place is recorded with its line, in words that say the export was re-encoded.
void reencode_utf8_export(std::string& text, DamageLog& damage);

}  // namespace qlx::conversion
