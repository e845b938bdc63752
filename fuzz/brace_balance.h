#pragma once

#include <string_view>

namespace qlx::fuzzing {

// Follows the groups of an RTF text as it streams by: a backslash escapes the character
// after it, "{" opens a group and "}" closes one. A converted document is sound when no group
// closes that was not opened and every group is closed at its end.
class BraceBalance {
public:
    void feed(std::string_view bytes) {
        for (char c : bytes) {
            if (escaped_) {
                escaped_ = false;
            } else if (c == '\\') {
                escaped_ = true;
            } else if (c == '{') {
                ++depth_;
            } else if (c == '}') {
                if (--depth_ < 0) {
                    broken_ = true;
                }
            }
        }
    }
    bool balanced() const { return !broken_ && !escaped_ && depth_ == 0; }

private:
    long depth_ = 0;
    bool escaped_ = false;
    bool broken_ = false;
};

}  // namespace qlx::fuzzing
