#pragma once

#include <string>
#include <string_view>

namespace qlx::testing {

// A counted string: the length character, then the text.
inline std::string counted(std::string_view text) {
    return static_cast<char>(static_cast<unsigned char>(text.size())) + std::string(text);
}

// Joins lines, each ended with CR LF, the way an export holds them.
inline std::string lines(std::initializer_list<std::string_view> items) {
    std::string text;
    for (std::string_view item : items) {
        text += item;
        text += "\r\n";
    }
    return text;
}

}  // namespace qlx::testing
