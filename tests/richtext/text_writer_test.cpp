#include "richtext/text_writer.h"
#include "richtext/text_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qlx::richtext {
namespace {

const CharFormat bold{.bold = true};

TEST(TextWriter, SeparatesParagraphsAndLinesByTheLineEnd) {
    const Document document = DocumentBuilder()
                                  .text("one ")
                                  .text("bold", bold)
                                  .text(
                                      "\tline\xE2\x80\xA8"
                                      "break")
                                  .paragraph()
                                  .paragraph()
                                  .text("caf\xC3\xA9")
                                  .paragraph()
                                  .build();
    EXPECT_EQ(to_text(document), "one bold\tline\nbreak\n\ncaf\xC3\xA9\n");
    EXPECT_EQ(to_text(document, "\r\n"), "one bold\tline\r\nbreak\r\n\r\ncaf\xC3\xA9\r\n");
    EXPECT_EQ(to_text(Document()), "");
}

TEST(TextWriter, HandsLargeOutputToTheSinkInBlocks) {
    DocumentBuilder builder;
    for (int i = 0; i < 20'000; ++i) {
        builder.text("0123456789").paragraph();
    }
    const Document document = builder.build();
    std::vector<std::size_t> pieces;
    std::string joined;
    write_text(document, [&](std::string_view bytes) {
        pieces.push_back(bytes.size());
        joined += bytes;
    });
    std::string expected;
    for (int i = 0; i < 20'000; ++i) {
        expected += "0123456789\n";
    }
    EXPECT_EQ(joined, expected);
    EXPECT_GT(pieces.size(), 1u);
    EXPECT_LT(pieces.size(), 10u);
}

}  // namespace
}  // namespace qlx::richtext

// Searching the text of documents: the find bar's and Find All's matches.
namespace qlx::richtext {
namespace {

std::vector<std::string> matched(std::string_view text, std::string_view pattern,
                                 SearchOptions options = {}) {
    std::vector<std::string> found;
    for (const TextMatch& match : find_matches(text, pattern, options)) {
        found.push_back(
            std::to_string(match.line) + ":" +
            std::string(text.substr(match.line_start, match.line_end - match.line_start)) + "@" +
            std::to_string(match.start - match.line_start));
    }
    return found;
}

TEST(TextSearch, FindsEveryMatchWithItsLine) {
    const std::string text = "Patient name\nno match here\npatient PATIENT patients\nlast patient";
    EXPECT_EQ(matched(text, "patient"),
              (std::vector<std::string>{"1:Patient name@0", "3:patient PATIENT patients@0",
                                        "3:patient PATIENT patients@8",
                                        "3:patient PATIENT patients@16", "4:last patient@5"}));
    EXPECT_EQ(matched(text, "PATIENT", {.match_case = true}),
              (std::vector<std::string>{"3:patient PATIENT patients@8"}));
    EXPECT_EQ(matched(text, "patient", {.whole_words = true}).size(), 4u);
    EXPECT_EQ(matched(text, "patient", {.match_case = true, .whole_words = true}),
              (std::vector<std::string>{"3:patient PATIENT patients@0", "4:last patient@5"}));
    EXPECT_TRUE(matched(text, "").empty());
    EXPECT_TRUE(matched(text, "absent").empty());
    EXPECT_TRUE(matched("ab", "abc").empty());
    // Matches do not overlap; a line of its own at the very end counts.
    EXPECT_EQ(matched("aaaa\n\naa", "aa"),
              (std::vector<std::string>{"1:aaaa@0", "1:aaaa@2", "3:aa@0"}));
}

// A plain search, place by place, to hold the fast one against.
std::vector<std::size_t> naive_starts(std::string_view text, std::string_view pattern,
                                      bool match_case) {
    const auto lower = [&](char c) {
        return match_case || c < 'A' || c > 'Z' ? c : static_cast<char>(c + 32);
    };
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + pattern.size() <= text.size();) {
        bool same = true;
        for (std::size_t i = 0; i < pattern.size() && same; ++i) {
            same = lower(text[at + i]) == lower(pattern[i]);
        }
        if (same) {
            starts.push_back(at);
            at += pattern.size();
        } else {
            ++at;
        }
    }
    return starts;
}

TEST(TextSearch, AgreesWithAPlainSearchAtEveryPlaceAndLength) {
    // Text long enough for the search to go sixteen bytes at a time, with matches at every
    // offset, across the blocks' edges and in the tail, in both cases and beside digits.
    std::string text;
    std::uint32_t seed = 12345;
    const std::string_view letters = "aAbB1{}\n_ -pPqQ";
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += letters[(seed >> 16) % letters.size()];
    }
    for (std::string_view pattern : {"a", "ab", "aB", "Ab1", "{}", "1{", "b\n_", "pq", "QQ", "a_pP",
                                     "bbbbbbbbbbbbbbbbbb", "-pq Q"}) {
        for (bool match_case : {true, false}) {
            std::vector<std::size_t> found;
            for (const TextMatch& match : find_matches(text, pattern, {.match_case = match_case})) {
                found.push_back(match.start);
            }
            EXPECT_EQ(found, naive_starts(text, pattern, match_case))
                << pattern << (match_case ? " (match case)" : "");
        }
    }
}

TEST(TextSearch, WholeWordsStopAtLettersDigitsAndUnderscores) {
    EXPECT_EQ(matched("x_id id2 (id) id", "id", {.whole_words = true}),
              (std::vector<std::string>{"1:x_id id2 (id) id@10", "1:x_id id2 (id) id@14"}));
    EXPECT_TRUE(matched("éid idé", "id", {.whole_words = true}).empty());
}

TEST(TextSearch, LettersBeyondAsciiMatchInEitherCase) {
    const std::string text = "CAFÉ café Œuvre œuvre ŸES ÿes ПАЦИЕНТ пациент Łódź ŁÓDŹ";
    EXPECT_EQ(matched(text, "café").size(), 2u);
    EXPECT_EQ(matched(text, "CAFÉ").size(), 2u);
    EXPECT_EQ(matched(text, "œuvre").size(), 2u);
    EXPECT_EQ(matched(text, "ÿes").size(), 2u);
    EXPECT_EQ(matched(text, "пациент").size(), 2u);
    EXPECT_EQ(matched(text, "łódź").size(), 2u);
    EXPECT_EQ(matched(text, "café", {.match_case = true}).size(), 1u);
    // Offsets are those of the text as given.
    EXPECT_EQ(matched("x ÉCOLE", "école"), (std::vector<std::string>{"1:x ÉCOLE@2"}));
}

TEST(TextSearch, ADocumentIsSearchedAsItsParagraphsAndLines) {
    const std::string text = searchable_text(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Report \\b LAB\\b0 .C\\par second\\line "
        "third\\par\\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row}");
    EXPECT_EQ(text, "Report LAB.C\nsecond\nthird\na\tb\n");
    EXPECT_EQ(matched(text, "lab.c"), (std::vector<std::string>{"1:Report LAB.C@7"}));
}

}  // namespace
}  // namespace qlx::richtext
