#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "richtext/rtf_control_words.h"

namespace qlx::richtext {

enum class TokenKind : std::uint8_t {
    end,             // no more input
    text,            // bytes of text, never holding "\", "{", "}", CR or LF
    group_open,      // "{"
    group_close,     // "}"
    control_word,    // "\" letters, an optional number, an optional blank
    control_symbol,  // "\" and one character that is not a letter
    hex_byte,        // "\'hh"; `valid` is false when two hexadecimal digits do not follow
    binary,          // "\binN" and the N bytes after it, skipped
};

struct Token {
    TokenKind kind = TokenKind::end;
    std::string_view text;  // TokenKind::text: the bytes; control_word, binary: the letters
    ControlWord word;       // TokenKind::control_word, binary
    bool has_parameter = false;
    int parameter = 0;      // clamped to the range of int
    char symbol = 0;        // TokenKind::control_symbol
    std::uint8_t byte = 0;  // TokenKind::hex_byte
    bool valid = true;      // TokenKind::hex_byte
};

// Splits RTF bytes into tokens, in one pass; CR and LF between tokens are dropped.
class RtfLexer {
public:
    explicit RtfLexer(std::string_view input) : in_(input) {}

    Token next();
    // Whether the input ended inside a control word or symbol.
    bool truncated() const { return truncated_; }
    // What the lexer has not read yet, and where that begins in the input.
    std::string_view rest() const { return in_.substr(pos_); }
    std::size_t offset() const { return pos_; }

private:
    Token control();
    Token word();
    Token hex();

    std::string_view in_;
    std::size_t pos_ = 0;
    bool truncated_ = false;
};

// The value of a hexadecimal digit; -1 for any other character.
int hex_digit_value(char c);

// Calls visit(token, depth) for each token of an RTF fragment, where depth counts the groups
// the token is in (a group's braces count as inside it).
template <class Visit>
void for_each_token(std::string_view rtf, Visit&& visit) {
    RtfLexer lexer(rtf);
    int depth = 0;
    for (Token token = lexer.next(); token.kind != TokenKind::end; token = lexer.next()) {
        depth += token.kind == TokenKind::group_open ? 1 : 0;
        visit(token, depth);
        depth -= token.kind == TokenKind::group_close ? 1 : 0;
    }
}

}  // namespace qlx::richtext
