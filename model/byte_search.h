#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QLX_SEARCH_16 1
#endif

// Searches of export text for one of a few bytes. Export lines and the pieces written from them
// are short (some twenty bytes on average), so these look at 16 bytes at a time where the
// processor can, and 8 at a time elsewhere, without a call for each.
namespace qlx::conversion {

namespace byte_search_detail {

constexpr std::uint64_t ones = 0x0101010101010101ULL;
constexpr std::uint64_t highs = 0x8080808080808080ULL;

// Non-zero when any byte of the word equals `byte`.
constexpr std::uint64_t has_byte(std::uint64_t word, char byte) {
    const std::uint64_t x = word ^ (ones * static_cast<unsigned char>(byte));
    return (x - ones) & ~x & highs;
}

template <char... Bytes>
constexpr bool has_any([[maybe_unused]] std::uint64_t word) {
    return (std::uint64_t{0} | ... | has_byte(word, Bytes)) != 0;
}

// Copies the 8 bytes at `in` to `out`; whether any of them is one of the bytes.
template <char... Bytes>
bool copy_8(char* out, const char* in) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    std::memcpy(out, &word, 8);
    return has_any<Bytes...>(word);
}

}  // namespace byte_search_detail

#ifdef QLX_SEARCH_16
// Bit i is set when byte i of the chunk is one of the bytes.
template <char... Bytes>
unsigned match_16([[maybe_unused]] __m128i chunk) {
    __m128i found = _mm_setzero_si128();
    ((found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(Bytes)))), ...);
    return static_cast<unsigned>(_mm_movemask_epi8(found));
}

inline __m128i load_16(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}
inline void store_16(char* at, __m128i chunk) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), chunk);
}
#endif

// The offset of the first of the bytes at or after `from`, or text.size().
template <char... Bytes>
std::size_t find_first_of_bytes(std::string_view text, std::size_t from) {
    const char* const data = text.data();
    const std::size_t size = text.size();
#ifdef QLX_SEARCH_16
    for (; from + 16 <= size; from += 16) {
        if (const unsigned mask = match_16<Bytes...>(load_16(data + from)); mask != 0) {
            return from + std::countr_zero(mask);
        }
    }
#endif
    for (; from + 8 <= size; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + from, 8);
        if (byte_search_detail::has_any<Bytes...>(word)) {
            break;
        }
    }
    for (; from < size; ++from) {
        if (((data[from] == Bytes) || ...)) {
            return from;
        }
    }
    return size;
}

// Copies the text to `out` and says whether it holds any of the bytes (`out` then holds
// something unspecified). Copies in whole words, the last one overlapping the one before, so
// that a short text takes a few moves rather than a call.
template <char... Bytes>
bool copy_unless_special(char* out, std::string_view text) {
    using namespace byte_search_detail;
    const char* const in = text.data();
    const std::size_t size = text.size();
#ifdef QLX_SEARCH_16
    if (size >= 16) {
        unsigned found = 0;
        auto copy_16 = [&](std::size_t at) {
            const __m128i chunk = load_16(in + at);
            store_16(out + at, chunk);
            found |= match_16<Bytes...>(chunk);
        };
        for (std::size_t at = 0; at + 16 < size; at += 16) {
            copy_16(at);
        }
        copy_16(size - 16);
        return found != 0;
    }
#endif
    if (size >= 8) {
        bool found = false;
        for (std::size_t at = 0; at + 8 < size; at += 8) {
            found |= copy_8<Bytes...>(out + at, in + at);
        }
        return copy_8<Bytes...>(out + size - 8, in + size - 8) || found;
    }
    if (size >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, in, 4);
        std::memcpy(&last, in + size - 4, 4);
        std::memcpy(out, &first, 4);
        std::memcpy(out + size - 4, &last, 4);
        return has_any<Bytes...>(first) || has_any<Bytes...>(last);  // the high bytes are 0
    }
    bool found = false;
    for (std::size_t at = 0; at < size; ++at) {
        out[at] = in[at];
        found |= ((in[at] == Bytes) || ...);
    }
    return found;
}

}  // namespace qlx::conversion
