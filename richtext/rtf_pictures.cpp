#include "richtext/rtf_pictures.h"

#include <algorithm>

#include "richtext/rtf_lexer.h"

namespace qlx::richtext {

std::optional<Picture> read_picture(std::string_view group) {
    if (!group.starts_with("{\\pict") && !group.starts_with("{\\*\\shppict")) {
        return std::nullopt;
    }
    Picture picture;
    bool shown = false;  // PNG or JPEG
    int pict_depth = -1;
    int scale_x = 100;
    int scale_y = 100;
    int pending_nibble = -1;
    picture.data.reserve(group.size() / 2);  // no more than the group's hexadecimal digits
    for_each_token(group, [&](const Token& token, int depth) {
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
            for (const char c : token.text) {
                const int nibble = hex_digit_value(c);
                if (nibble < 0) {
                    continue;
                }
                if (pending_nibble < 0) {
                    pending_nibble = nibble;
                } else {
                    picture.data += static_cast<char>((pending_nibble << 4) | nibble);
                    pending_nibble = -1;
                }
            }
        }
    });
    if (!shown || picture.data.empty()) {
        return std::nullopt;
    }
    picture.width_twips = picture.width_twips * scale_x / 100;
    picture.height_twips = picture.height_twips * scale_y / 100;
    return picture;
}

}  // namespace qlx::richtext
