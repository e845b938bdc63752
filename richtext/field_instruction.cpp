#include "richtext/field_instruction.h"

#include <cctype>
#include <charconv>
#include <vector>

#include "richtext/rtf_lexer.h"

namespace qlx::richtext {

namespace {

// The instruction's words: quoted text is one word without its quotes; a switch such as \f
// is a word of its own.
std::vector<std::string> split_words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[pos]))) {
            ++pos;
            continue;
        }
        std::string word;
        if (text[pos] == '"') {
            const std::size_t end = text.find('"', pos + 1);
            word =
                text.substr(pos + 1, (end == std::string_view::npos ? text.size() : end) - pos - 1);
            pos = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos]))) {
                ++pos;
            }
            word = text.substr(start, pos - start);
        }
        words.push_back(std::move(word));
    }
    return words;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string field_instruction_text(std::string_view group) {
    std::string text;
    for_each_token(group, [&text](const Token& token, int depth) {
        if (depth != 1) {
            return;
        }
        if (token.kind == TokenKind::text) {
            text += token.text;
        } else if (token.kind == TokenKind::control_symbol &&
                   (token.symbol == '\\' || token.symbol == '{' || token.symbol == '}')) {
            text += token.symbol;
        } else if (token.kind == TokenKind::hex_byte && token.valid) {
            text += static_cast<char>(token.byte);
        }
    });
    return text;
}

std::optional<SymbolField> parse_symbol_field(std::string_view instruction) {
    const std::vector<std::string> words = split_words(instruction);
    if (words.size() < 2 || !equals_ignoring_case(words[0], "SYMBOL")) {
        return std::nullopt;
    }
    SymbolField field;
    std::string_view number = words[1];
    int base = 10;
    if (number.starts_with("0x") || number.starts_with("0X")) {
        number.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), field.code, base);
    if (error != std::errc() || end != number.data() + number.size() || field.code == 0) {
        return std::nullopt;
    }
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "\\f" && i + 1 < words.size()) {
            field.font = words[++i];
        } else if (words[i] == "\\u") {
            field.unicode = true;
        } else if (words[i] == "\\j") {
            field.shift_jis = true;
        }
    }
    return field;
}

std::string hyperlink_target(std::string_view instruction) {
    const std::vector<std::string> words = split_words(instruction);
    if (words.empty() || !equals_ignoring_case(words[0], "HYPERLINK")) {
        return {};
    }
    std::string target;
    std::string anchor;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const bool takes_argument = words[i] == "\\l" || words[i] == "\\o" || words[i] == "\\t";
        if (takes_argument && i + 1 < words.size()) {
            if (words[i] == "\\l") {
                anchor = words[i + 1];
            }
            ++i;
        } else if (!words[i].starts_with('\\') && target.empty()) {
            target = words[i];
        }
    }
    return anchor.empty() ? target : target + "#" + anchor;
}

}  // namespace qlx::richtext
