#include "richtext/rtf_lexer.h"

#include <gtest/gtest.h>

#include <string>

namespace qlx::richtext {
namespace {

// The tokens of an input, each written as its kind and content, separated by blanks.
std::string tokens_of(std::string_view input) {
    RtfLexer lexer(input);
    std::string out;
    for (Token token = lexer.next(); token.kind != TokenKind::end; token = lexer.next()) {
        out += out.empty() ? "" : " ";
        switch (token.kind) {
            case TokenKind::group_open:
                out += '{';
                break;
            case TokenKind::group_close:
                out += '}';
                break;
            case TokenKind::text:
                out += '"' + std::string(token.text) + '"';
                break;
            case TokenKind::control_word:
            case TokenKind::binary:
                out += (token.kind == TokenKind::binary ? "bin:" : "\\") + std::string(token.text);
                out += token.has_parameter ? std::to_string(token.parameter) : "";
                out += token.word.action == Action::ignore ? "?" : "";
                break;
            case TokenKind::control_symbol:
                out += "sym:" + std::string(1, token.symbol);
                break;
            case TokenKind::hex_byte:
                out += token.valid ? "hex:" + std::to_string(token.byte) : "hex:bad";
                break;
            case TokenKind::end:
                break;
        }
    }
    return out + (lexer.truncated() ? " truncated" : "");
}

TEST(RtfLexer, SplitsInputIntoTokens) {
    EXPECT_EQ(tokens_of("{\\rtf1\\b0 x y\\par\r\nz}"), "{ \\rtf1? \\b0 \"x y\" \\par \"z\" }");
    EXPECT_EQ(tokens_of("\\fs-20\\fs-x\\f 12\\foo7  a"),
              "\\fs-20 \\fs \"-x\" \\f \"12\" \\foo7? \" a\"");
    EXPECT_EQ(tokens_of("\\'e9\\'E9x\\'z\\'4"), "hex:233 hex:233 \"x\" hex:bad \"z\" hex:bad");
    EXPECT_EQ(tokens_of("\\{\\}\\\\\\*\\~\\\r\n"), "sym:{ sym:} sym:\\ sym:* sym:~ sym:\r");
    EXPECT_EQ(tokens_of("a\\bin3 {}\\b"), "\"a\" bin:bin3 \"b\"");
    EXPECT_EQ(tokens_of("\\bin99 ab"), "bin:bin99");
    EXPECT_EQ(tokens_of("\\u99999999999 x"), "\\u2147483647 \"x\"");
    EXPECT_EQ(tokens_of("x\\"), "\"x\" truncated");
}

}  // namespace
}  // namespace qlx::richtext
