#include "richtext/rtf_lexer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace qlx::richtext {

namespace {

constexpr std::size_t max_word_length = 32;

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

Token token_of(TokenKind kind) {
    Token token;
    token.kind = kind;
    return token;
}

// Whether each byte is text: any but "\\", "{", "}", CR and LF.
constexpr auto text_bytes = [] {
    std::array<bool, 256> made{};
    made.fill(true);
    for (const unsigned char c : {'\\', '{', '}', '\r', '\n'}) {
        made[c] = false;
    }
    return made;
}();

bool is_text_byte(char c) {
    return text_bytes[static_cast<unsigned char>(c)];
}

// Where the text from `at` ends: at the first byte that is not text. Text runs for tens of
// bytes between control words, so it is looked at eight bytes at a time, a word of them
// holding none of the five when no byte of it, XORed with each, comes out zero.
std::size_t text_end(std::string_view in, std::size_t at) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const auto zero_byte = [](std::uint64_t word, unsigned char byte) {
        const std::uint64_t x = word ^ (ones * byte);
        return (x - ones) & ~x & highs;
    };
    for (; at + 8 <= in.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, in.data() + at, 8);
        if ((zero_byte(word, '\\') | zero_byte(word, '{') | zero_byte(word, '}') |
             zero_byte(word, '\r') | zero_byte(word, '\n')) != 0) {
            break;
        }
    }
    while (at < in.size() && is_text_byte(in[at])) {
        ++at;
    }
    return at;
}

}  // namespace

Token RtfLexer::next() {
    while (pos_ < in_.size() && (in_[pos_] == '\r' || in_[pos_] == '\n')) {
        ++pos_;
    }
    if (pos_ >= in_.size()) {
        return {};
    }
    switch (in_[pos_]) {
        case '{':
            ++pos_;
            return token_of(TokenKind::group_open);
        case '}':
            ++pos_;
            return token_of(TokenKind::group_close);
        case '\\':
            return control();
        default:
            break;
    }
    const std::size_t start = pos_;
    pos_ = text_end(in_, pos_);
    Token token = token_of(TokenKind::text);
    token.text = in_.substr(start, pos_ - start);
    return token;
}

Token RtfLexer::control() {
    ++pos_;
    if (pos_ >= in_.size()) {
        truncated_ = true;
        return {};
    }
    const char first = in_[pos_];
    if (is_letter(first)) {
        return word();
    }
    ++pos_;
    if (first == '\'') {
        return hex();
    }
    Token token = token_of(TokenKind::control_symbol);
    token.symbol = first;
    return token;
}

Token RtfLexer::word() {
    const std::size_t start = pos_;
    while (pos_ < in_.size() && is_letter(in_[pos_])) {
        ++pos_;
    }
    Token token = token_of(TokenKind::control_word);
    token.text = in_.substr(start, pos_ - start);
    if (token.text.size() <= max_word_length) {
        token.word = lookup_control_word(token.text);
    }
    const bool negative = pos_ + 1 < in_.size() && in_[pos_] == '-' && is_digit(in_[pos_ + 1]);
    if (negative) {
        ++pos_;
    }
    std::int64_t value = 0;
    while (pos_ < in_.size() && is_digit(in_[pos_])) {
        token.has_parameter = true;
        value =
            std::min<std::int64_t>(value * 10 + (in_[pos_] - '0'), std::numeric_limits<int>::max());
        ++pos_;
    }
    token.parameter = static_cast<int>(negative ? -value : value);
    if (pos_ < in_.size() && in_[pos_] == ' ') {
        ++pos_;
    }
    if (token.word.action == Action::binary) {
        const auto count = static_cast<std::size_t>(std::max(token.parameter, 0));
        pos_ += std::min(count, in_.size() - pos_);
        token.kind = TokenKind::binary;
    }
    return token;
}

Token RtfLexer::hex() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && pos_ < in_.size() && hex_digit_value(in_[pos_]) >= 0) {
        value = value * 16 + hex_digit_value(in_[pos_]);
        ++pos_;
        ++digits;
    }
    Token token = token_of(TokenKind::hex_byte);
    token.byte = static_cast<std::uint8_t>(value);
    token.valid = digits == 2;
    return token;
}

int hex_digit_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace qlx::richtext
