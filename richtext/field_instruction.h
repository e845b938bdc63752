#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qlx::richtext {

// A SYMBOL field's instruction: SYMBOL 97 \f "Symbol" \s 10.
struct SymbolField {
    unsigned code = 0;
    std::string font;        // the \f switch's font name; empty: the field's own font
    bool unicode = false;    // \u: the code is a Unicode code point
    bool shift_jis = false;  // \j: the code is a Shift-JIS character
};

// The text of a field's instruction from its group as carried ("{\*\fldinst ...}"): the
// group's text with RTF's escapes undone and nested groups' control words left out.
std::string field_instruction_text(std::string_view group);

// The SYMBOL field an instruction's text names, if it is one.
std::optional<SymbolField> parse_symbol_field(std::string_view instruction);

// The target of a HYPERLINK field's instruction text; empty when it is no such field.
std::string hyperlink_target(std::string_view instruction);

}  // namespace qlx::richtext
