#pragma once

#include <cstddef>
#include <string_view>

namespace qlx::richtext {

// The code point that starts at text[pos], advancing pos past it. A byte that does not start
// a well-formed sequence (overlong forms and surrogates included) gives U+FFFD and advances
// by one byte.
char32_t next_code_point(std::string_view text, std::size_t& pos);

}  // namespace qlx::richtext
