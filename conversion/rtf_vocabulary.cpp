#include "conversion/rtf_vocabulary.h"

namespace qlx::conversion {

void append_escaped(std::string& out, std::string_view text) {
    std::size_t run_start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == '{' || c == '}') {
            out.append(text, run_start, i - run_start);
            out += '\\';
            run_start = i;
        }
    }
    out.append(text, run_start);
}

std::string escape_rtf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    append_escaped(out, text);
    return out;
}

std::string pad_to_width(std::string_view value, std::size_t width, std::string_view fill) {
    std::string padded;
    padded.reserve(width);
    padded.append(value.substr(0, width));
    if (padded.size() < width) {
        padded.append(fill.substr(0, width - padded.size()));
    }
    return padded;
}

}  // namespace qlx::conversion

namespace qlx::conversion {

static_assert(rtfDashRule.text.size() == 80 + rtfPlain.text.size());
static_assert(rtfEqualsRuleTop.text.size() == rtfRedBold.text.size() + 83);
static_assert(rtfEqualsRuleBottom.text.size() == rtfPar.text.size() + 83 + rtfPlain.text.size());
static_assert(rtfStarRule.size() == 94);
static_assert(rtfBlanks30.size() == 30);

}  // namespace qlx::conversion
