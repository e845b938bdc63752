#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qlx::richtext {

// A picture of an RTF group ({\pict ...}, or {\*\shppict {\pict ...}}) that a window can show.
struct Picture {
    enum class Format { png, jpeg };
    Format format = Format::png;
    std::string data;  // the picture file's bytes
    // The size it is shown at, in twips; 0 when the group gives none (the picture's own).
    int width_twips = 0;
    int height_twips = 0;
};

// The PNG or JPEG picture a carried group holds, if it holds one; of its file only the first
// `most_bytes` (its header, where only the size is wanted).
std::optional<Picture> read_picture(std::string_view group,
                                    std::size_t most_bytes = std::string::npos);

}  // namespace qlx::richtext
