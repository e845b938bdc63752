#include "richtext/text_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"

namespace qlx::richtext {

namespace {

constexpr unsigned char ascii_lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool is_word_byte(unsigned char c) {
    // Bytes of characters beyond ASCII count as letters: they are letters in all but a few
    // cases (punctuation such as dashes and quotes), which only make a whole-word match rarer.
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}

// The lower-case partner of a code point of the scripts named in the header; others as
// they are. Upper and lower case take the same number of UTF-8 bytes in all of them.
char32_t fold(char32_t c) {
    if (c < 0x80) {
        return ascii_lower(static_cast<unsigned char>(c));
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    // Latin Extended-A pairs an upper case letter with the next code point: from even ones
    // below U+0138 and from U+014A, from odd ones in between and from U+0179.
    if ((c >= 0x100 && c < 0x138) || (c >= 0x14A && c < 0x178)) {
        return c % 2 == 0 ? c + 1 : c;
    }
    if ((c >= 0x139 && c < 0x149) || (c >= 0x179 && c < 0x17F)) {
        return c % 2 == 1 ? c + 1 : c;
    }
    return c;
}

// Lower-cases the text as fold() does, byte for byte the same length: an invalid or unknown
// sequence stays as it is.
std::string folded(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const auto lead = static_cast<unsigned char>(out[i]);
        if (lead < 0x80) {
            out[i] = static_cast<char>(ascii_lower(lead));
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0 && i + 1 < out.size() &&
            (static_cast<unsigned char>(out[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(out[i + 1]) & 0x3Fu);
            const char32_t lower = fold(c);
            if (lower != c && lower >= 0x80 && lower < 0x800) {
                out[i] = static_cast<char>(0xC0 | (lower >> 6));
                out[i + 1] = static_cast<char>(0x80 | (lower & 0x3F));
            }
            i += 2;
            continue;
        }
        ++i;
    }
    return out;
}

bool is_ascii(std::string_view text) {
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Horspool's search over bytes, each byte first mapped through `map` (the identity, or ASCII
// lower case): the next place at or after `from` where the pattern stands, or text.size().
class Horspool {
public:
    Horspool(std::string_view pattern, const std::array<unsigned char, 256>& map)
        : map_(map), pattern_(pattern.size()) {
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            pattern_[i] = map_[static_cast<unsigned char>(pattern[i])];
        }
        skip_.fill(pattern.size());
        for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
            skip_[pattern_[i]] = pattern.size() - 1 - i;
        }
    }

    std::size_t find(std::string_view text, std::size_t from) const {
        const std::size_t length = pattern_.size();
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
#if defined(__SSE2__) || defined(_M_X64)
        // Sixteen places at a time: those where the pattern's first and last bytes stand (a
        // letter in either case when case does not matter) are then compared whole.
        if (length >= 2) {
            const auto filter = [&](unsigned char c) {
                const bool letter = map_['A'] != 'A' && c >= 'a' && c <= 'z';
                return std::pair{_mm_set1_epi8(static_cast<char>(c)),
                                 _mm_set1_epi8(static_cast<char>(letter ? 0x20 : 0))};
            };
            const auto [first, first_case] = filter(pattern_.front());
            const auto [last, last_case] = filter(pattern_.back());
            for (; from + length - 1 + 16 <= text.size(); from += 16) {
                const __m128i starts = _mm_or_si128(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from)), first_case);
                const __m128i ends = _mm_or_si128(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from + length - 1)),
                    last_case);
                auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
                    _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
                while (candidates != 0) {
                    const std::size_t at =
                        from + static_cast<std::size_t>(std::countr_zero(candidates));
                    if (matches_at(bytes + at)) {
                        return at;
                    }
                    candidates &= candidates - 1;
                }
            }
        }
#endif
        const unsigned char last = pattern_[length - 1];
        for (std::size_t at = from; at + length <= text.size();) {
            const unsigned char end = map_[bytes[at + length - 1]];
            if (end == last && matches_at(bytes + at)) {
                return at;
            }
            at += skip_[end];
        }
        return text.size();
    }

    std::size_t size() const {
        return pattern_.size();
    }

private:
    bool matches_at(const unsigned char* at) const {
        for (std::size_t i = 0; i < pattern_.size(); ++i) {
            if (map_[at[i]] != pattern_[i]) {
                return false;
            }
        }
        return true;
    }

    const std::array<unsigned char, 256>& map_;
    std::vector<unsigned char> pattern_;
    std::array<std::size_t, 256> skip_{};
};

constexpr std::array<unsigned char, 256> byte_map(bool lower) {
    std::array<unsigned char, 256> map{};
    for (std::size_t b = 0; b < map.size(); ++b) {
        map[b] = lower ? ascii_lower(static_cast<unsigned char>(b)) : static_cast<unsigned char>(b);
    }
    return map;
}

constexpr std::array<unsigned char, 256> same_bytes = byte_map(false);
constexpr std::array<unsigned char, 256> ascii_lower_bytes = byte_map(true);

// Collects the matches that a search finds, with their lines.
std::vector<TextMatch> collect(std::string_view text, const Horspool& searcher,
                               SearchOptions options) {
    std::vector<TextMatch> matches;
    const std::size_t length = searcher.size();
    std::size_t line = 1;
    std::size_t counted_to = 0;  // newlines before this offset are counted in `line`
    std::size_t line_start = 0;  // of the line `counted_to` is in
    for (std::size_t from = 0;;) {
        const std::size_t start = searcher.find(text, from);
        if (start == text.size()) {
            break;
        }
        const std::size_t end = start + length;
        if (options.whole_words &&
            ((start > 0 && is_word_byte(static_cast<unsigned char>(text[start - 1]))) ||
             (end < text.size() && is_word_byte(static_cast<unsigned char>(text[end]))))) {
            from = start + 1;
            continue;
        }
        for (const char* newline; (newline = static_cast<const char*>(std::memchr(
                                       text.data() + counted_to, '\n', start - counted_to)));) {
            ++line;
            counted_to = static_cast<std::size_t>(newline - text.data()) + 1;
            line_start = counted_to;
        }
        counted_to = start;
        const void* line_end = std::memchr(text.data() + end, '\n', text.size() - end);
        matches.push_back(
            {line, line_start,
             line_end == nullptr
                 ? text.size()
                 : static_cast<std::size_t>(static_cast<const char*>(line_end) - text.data()),
             start, length});
        from = end;
    }
    return matches;
}

}  // namespace

std::vector<TextMatch> find_matches(std::string_view text, std::string_view pattern,
                                    SearchOptions options) {
    if (pattern.empty() || pattern.size() > text.size()) {
        return {};
    }
    if (options.match_case) {
        return collect(text, Horspool(pattern, same_bytes), options);
    }
    if (is_ascii(pattern)) {
        return collect(text, Horspool(pattern, ascii_lower_bytes), options);
    }
    // Folding keeps every byte where it was, so the matches in the folded text are the
    // matches in the text.
    const std::string lower_text = folded(text);
    const std::string lower_pattern = folded(pattern);
    return collect(lower_text, Horspool(lower_pattern, same_bytes), options);
}

std::string searchable_text(std::string_view rtf) {
    return to_text(read_rtf(rtf).document, "\n");
}

}  // namespace qlx::richtext
