#include "model/rtf_vocabulary.h"

#include "model/byte_search.h"

namespace qlx::conversion {

namespace {

// The runs between the special characters, each copied whole.
char* write_escaped_runs(char* out, std::string_view text) {
    for (std::size_t from = 0;;) {
        const std::size_t at = find_first_of_bytes<'\\', '{', '}'>(text, from);
        copy_unless_special<>(out, text.substr(from, at - from));
        out += at - from;
        if (at == text.size()) {
            return out;
        }
        *out++ = '\\';
        *out++ = text[at];
        from = at + 1;
    }
}

}  // namespace

char* write_escaped(char* out, std::string_view text) {
    if (!copy_unless_special<'\\', '{', '}'>(out, text)) {
        return out + text.size();
    }
    std::size_t from = 0;
#ifdef QLX_SEARCH_16
    // 16 bytes at a time, each chunk copied whole and the copy cut short at its first special
    // character. What is left to write, escaped, has room for 32 bytes or more.
    while (text.size() - from >= 16) {
        const __m128i chunk = load_16(text.data() + from);
        store_16(out, chunk);
        const unsigned mask = match_16<'\\', '{', '}'>(chunk);
        if (mask == 0) {
            from += 16;
            out += 16;
            continue;
        }
        const int before = std::countr_zero(mask);
        out += before;
        *out++ = '\\';
        *out++ = text[from + before];
        from += before + 1;
    }
#endif
    return write_escaped_runs(out, text.substr(from));
}

void append_escaped(std::string& out, std::string_view text) {
    std::size_t run_start = 0;
    for (std::size_t at; (at = find_first_of_bytes<'\\', '{', '}'>(text, run_start)) < text.size();
         run_start = at + 1) {
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
