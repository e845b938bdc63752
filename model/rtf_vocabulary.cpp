#include "model/rtf_vocabulary.h"

#include <cstdint>
#include <cstring>

namespace qlx::conversion {

namespace {

constexpr std::uint64_t ones = 0x0101010101010101ULL;
constexpr std::uint64_t highs = 0x8080808080808080ULL;

// Non-zero when any byte of the word equals `byte`.
constexpr std::uint64_t has_byte(std::uint64_t word, unsigned char byte) {
    const std::uint64_t x = word ^ (ones * byte);
    return (x - ones) & ~x & highs;
}

// The offset of the first "\", "{" or "}" at or after `from`, or text.size().
std::size_t find_special(std::string_view text, std::size_t from) {
    // Eight bytes at a time while none of them is special: export text rarely holds any.
    for (; from + 8 <= text.size(); from += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + from, 8);
        if (has_byte(word, '\\') | has_byte(word, '{') | has_byte(word, '}')) {
            break;
        }
    }
    for (; from < text.size(); ++from) {
        const char c = text[from];
        if (c == '\\' || c == '{' || c == '}') {
            return from;
        }
    }
    return from;
}

}  // namespace

void append_escaped(std::string& out, std::string_view text) {
    std::size_t run_start = 0;
    for (std::size_t at; (at = find_special(text, run_start)) < text.size(); run_start = at + 1) {
        out.append(text, run_start, at - run_start);
        out += '\\';
        out += text[at];
    }
    out.append(text, run_start);
}

std::string escape_rtf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    append_escaped(out, text);
    return out;
}

std::string_view heading_words(RtfLiteral heading) {
    std::string_view rtf = heading.text;
    // Past the control words ("\word", a number, one blank that ends it) to the first text.
    while (!rtf.empty() && rtf.front() == '\\') {
        std::size_t end = 1;
        while (end < rtf.size() && ((rtf[end] >= 'a' && rtf[end] <= 'z') ||
                                    (rtf[end] >= '0' && rtf[end] <= '9') || rtf[end] == '-')) {
            ++end;
        }
        if (end < rtf.size() && rtf[end] == ' ') {
            ++end;
        }
        rtf.remove_prefix(end);
    }
    rtf = rtf.substr(0, rtf.find('\\'));
    const std::size_t first = rtf.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return rtf.substr(first, rtf.find_last_not_of(' ') - first + 1);
}

}  // namespace qlx::conversion

namespace qlx::conversion {

static_assert(rtfDashRule.text.size() == 80 + rtfPlain.text.size());
static_assert(rtfEqualsRuleTop.text.size() == rtfRedBold.text.size() + 83);
static_assert(rtfEqualsRuleBottom.text.size() == rtfPar.text.size() + 83 + rtfPlain.text.size());
static_assert(rtfStarRule.size() == 94);
static_assert(rtfBlanks30.size() == 30);
static_assert(rtfBodyStart.paragraph_marks == 0 && rtfPar.paragraph_marks == 1);
static_assert(count_paragraph_marks("\\par\\par}\\pard\\\\par \\pararule") == 2);

}  // namespace qlx::conversion
