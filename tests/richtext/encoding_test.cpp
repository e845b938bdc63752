#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#if QLX_HAVE_ICU
#include <unicode/ucnv.h>
#endif

#include "richtext/code_page.h"
#include "richtext/rtf_reader.h"
#include "richtext/text_writer.h"
#include "richtext/utf8.h"
#include "richtext/windows1252.h"

namespace qlx::richtext {
namespace {

std::string decode(int code_page, std::string_view bytes) {
    std::string out;
    decoder_for_code_page(code_page).append_utf8(out, bytes);
    return out;
}

TEST(CodePages, DecodeTheirBytesAndFallBackToWindows1252) {
    EXPECT_EQ(decode(1252, "a\x80\x81\xE9"), "a\xE2\x82\xAC\xC2\x81\xC3\xA9");
    EXPECT_EQ(decode(28591, "\x80\xE9"), "\xC2\x80\xC3\xA9");
    EXPECT_EQ(decode(65001, "\xC3\xA9\xC3"), "\xC3\xA9\xEF\xBF\xBD");
    EXPECT_EQ(decode(4242, "\x80"), "\xE2\x82\xAC");  // no such code page
}

// The character sets a font table names (\fcharsetN), as the RTF format lists them, and the code
// page each one is written in. Those it does not list (and 1, "default") take the document's.
TEST(CodePages, EveryFontCharacterSetHasItsPage) {
    const std::map<int, int> pages = {
        {0, 1252},   {77, 10000}, {78, 10001}, {79, 10003}, {80, 10008}, {81, 10002}, {83, 10005},
        {84, 10004}, {85, 10006}, {86, 10081}, {87, 10021}, {88, 10029}, {89, 10007}, {128, 932},
        {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255},
        {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850}};
    for (int charset = 0; charset < 300; ++charset) {
        const auto page = pages.find(charset);
        EXPECT_EQ(code_page_for_charset(charset, 1251), page == pages.end() ? 1251 : page->second)
            << "\\fcharset" << charset;
    }
}

TEST(CodePages, EveryPageThatWordProcessorsWriteIsDecoded) {
    EXPECT_EQ(decode(1253, "\xE1\xE2"), "\u03B1\u03B2");         // Greek
    EXPECT_EQ(decode(1254, "\xF0\xFE"), "\u011F\u015F");         // Turkish
    EXPECT_EQ(decode(1255, "\xE0"), "\u05D0");                   // Hebrew
    EXPECT_EQ(decode(1256, "\xC7"), "\u0627");                   // Arabic
    EXPECT_EQ(decode(1257, "\xE0"), "\u0105");                   // Baltic
    EXPECT_EQ(decode(1258, "\xD0"), "\u0110");                   // Vietnamese
    EXPECT_EQ(decode(874, "\xA1"), "\u0E01");                    // Thai
    EXPECT_EQ(decode(10000, "\x8E\xA5"), "\u00E9\u2022");        // Mac Roman
    EXPECT_EQ(decode(437, "\x82\xB3"), "\u00E9\u2502");          // DOS
    EXPECT_EQ(decode(850, "\x82\x9B"), "\u00E9\u00F8");          // DOS, Western Europe
    EXPECT_EQ(decode(932, "\x82\xA0\x93\xFA"), "\u3042\u65E5");  // Shift-JIS
    EXPECT_EQ(decode(936, "\xC4\xE3"), "\u4F60");                // GBK
    EXPECT_EQ(decode(949, "\xC7\xD1"), "\uD55C");                // Korean
    EXPECT_EQ(decode(950, "\xA4\xA4"), "\u4E2D");                // Big5
    EXPECT_EQ(decode(1250, "\x8C\xA3\xF8"), "\xC5\x9A\xC5\x81\xC5\x99");
    EXPECT_EQ(decode(1251, "\x80\xC0\xFF"), "\xD0\x82\xD0\x90\xD1\x8F");
}

TEST(CodePages, TheReaderDecodesEachFontsPageAndKeepsDoubleBytePairsTogether) {
    const auto text = [](std::string_view rtf) { return to_text(read_rtf(rtf).document); };
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2}"), "\u03B1\u03B2");
    EXPECT_EQ(text("{\\rtf1\\mac \\'8e}"), "\u00E9");
    // A page that does not read ASCII as ASCII (EBCDIC) is no page RTF is written in.
    EXPECT_FALSE(is_ascii_compatible(37));
    EXPECT_TRUE(is_ascii_compatible(932));
    EXPECT_EQ(text("{\\rtf1\\ansicpg37{\\fonttbl{\\f0\\cpg1112 X;}}abc\\f0  %\\'e9}"),
              "abc %\u00E9");
    EXPECT_EQ(text("{\\rtf1\\pc \\'82}"), "\u00E9");
    EXPECT_EQ(text("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Mincho;}{\\f1\\fcharset161 "
                   "Arial Greek;}}\\f0 \\'82\\'a0\\'93\\'fa x\\f1 \\'e1}"),
              "\u3042\u65E5 x\u03B1");
    EXPECT_EQ(text("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg950 MingLiU;}}\\f0 \\'a4\\'a4}"), "\u4E2D");
    EXPECT_EQ(
        text("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 \\'c4\\'e3}"),
        "\u4F60");
}

#if QLX_HAVE_ICU
// Every entry of the fast Windows-1252 path, both ways, against ICU's own table (which, like
// Windows, passes the five unassigned bytes through as C1 controls). (Windows builds decode
// code pages with the system's converters and have no ICU to compare with.)
TEST(Windows1252, EveryByteAndEveryCodePointAgreeWithIcu) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> icu(ucnv_open("windows-1252", &status),
                                                                 &ucnv_close);
    ASSERT_TRUE(U_SUCCESS(status));
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        UChar out[2] = {};
        status = U_ZERO_ERROR;
        ASSERT_EQ(ucnv_toUChars(icu.get(), out, 2, &in, 1, &status), 1) << byte;
        EXPECT_EQ(windows1252_to_unicode(static_cast<unsigned char>(byte)), char32_t{out[0]})
            << "byte " << byte;
    }
    ucnv_setFromUCallBack(icu.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    for (char32_t code = 0; code < 0x10000; ++code) {
        if (code >= 0xD800 && code < 0xE000) {
            continue;
        }
        const UChar in = static_cast<UChar>(code);
        char out[4] = {};
        status = U_ZERO_ERROR;
        const int length = ucnv_fromUChars(icu.get(), out, 4, &in, 1, &status);
        const int expected =
            U_SUCCESS(status) && length == 1 ? static_cast<unsigned char>(out[0]) : -1;
        EXPECT_EQ(unicode_to_windows1252(code), expected)
            << "U+" << std::hex << static_cast<std::uint32_t>(code);
    }
    EXPECT_EQ(unicode_to_windows1252(0x1F600), -1);
    EXPECT_EQ(unicode_to_windows1252(0x110000), -1);
}
#endif

TEST(Utf8, ReadsWellFormedSequencesAndReplacesBrokenBytes) {
    const std::string_view text =
        "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"      // a, é, €, U+1F600
        "\xC0\xAF\xE0\x82\xA9"                       // "/" overlong in two bytes, "©" in three
        "\xED\xA0\x80\xF4\x90\x80\x80\x80\xE2\x82";  // surrogate, too big, cut short
    std::u32string decoded;
    for (std::size_t pos = 0; pos < text.size();) {
        decoded += next_code_point(text, pos);
    }
    EXPECT_EQ(decoded,
              U"a\u00E9\u20AC\U0001F600"
              U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"
              U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace qlx::richtext
