#include "richtext/rtf_pictures.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "richtext/rtf_lexer.h"

namespace qlx::richtext {

namespace {

// Each byte's value as a hexadecimal digit, or -1.
constexpr std::array<std::int8_t, 256> hex_digits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (std::int8_t i = 0; i < 10; ++i) {
        digits[static_cast<std::size_t>('0' + i)] = i;
    }
    for (std::int8_t i = 0; i < 6; ++i) {
        digits[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
        digits[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
    }
    return digits;
}();

// Appends the bytes that `text`'s hexadecimal digits spell (anything else between them left
// out), while `out` holds fewer than `most`; a digit left over waits in `pending`, -1 if none.
void append_hex_bytes(std::string_view text, std::string& out, int& pending, std::size_t most) {
    for (const char c : text) {
        const int nibble = hex_digits[static_cast<unsigned char>(c)];
        if (nibble < 0) {
            continue;
        }
        if (pending < 0) {
            pending = nibble;
        } else if (out.size() < most) {
            out += static_cast<char>((pending << 4) | nibble);
            pending = -1;
        } else {
            return;
        }
    }
}

}  // namespace

std::optional<Picture> read_picture(std::string_view group, std::size_t most_bytes) {
    if (!group.starts_with("{\\pict") && !group.starts_with("{\\*\\shppict")) {
        return std::nullopt;
    }
    Picture picture;
    bool shown = false;  // PNG or JPEG
    int pict_depth = -1;
    int scale_x = 100;
    int scale_y = 100;
    int pending_nibble = -1;
    // No more than the group's hexadecimal digits spell.
    picture.data.reserve(std::min(group.size() / 2, most_bytes));
    // The file's bytes end the picture's group: once those wanted are read, nothing after them
    // is.
    RtfLexer lexer(group);
    int depth = 0;
    for (Token token = lexer.next();
         token.kind != TokenKind::end && picture.data.size() < most_bytes; token = lexer.next()) {
        depth += token.kind == TokenKind::group_open ? 1 : 0;
        if (token.kind == TokenKind::group_close && depth == pict_depth) {
            pict_depth = -2;  // one picture is enough
        }
        if (token.kind == TokenKind::control_word) {
            const std::string_view word = token.text;
            if (word == "pict" && pict_depth == -1) {
                pict_depth = depth;
            } else if (depth == pict_depth) {
                const int value = std::clamp(token.parameter, 0, 22 * 1440 * 10);
                if (word == "pngblip" || word == "jpegblip") {
                    picture.format =
                        word == "pngblip" ? Picture::Format::png : Picture::Format::jpeg;
                    shown = true;
                } else if (word == "picwgoal") {
                    picture.width_twips = value;
                } else if (word == "pichgoal") {
                    picture.height_twips = value;
                } else if (word == "picscalex") {
                    scale_x = std::clamp(value, 1, 1000);
                } else if (word == "picscaley") {
                    scale_y = std::clamp(value, 1, 1000);
                }
            }
        } else if (token.kind == TokenKind::text && depth == pict_depth) {
            append_hex_bytes(token.text, picture.data, pending_nibble, most_bytes);
        }
        depth -= token.kind == TokenKind::group_close ? 1 : 0;
    }
    if (!shown || picture.data.empty()) {
        return std::nullopt;
    }
    picture.width_twips = picture.width_twips * scale_x / 100;
    picture.height_twips = picture.height_twips * scale_y / 100;
    return picture;
}

}  // namespace qlx::richtext
