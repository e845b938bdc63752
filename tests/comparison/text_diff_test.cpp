#include "comparison/text_diff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qlx::comparison {
namespace {

// The hunks of two texts as diff -U `context` prints them, without the two header lines.
std::string hunks(std::string_view old_text, std::string_view new_text, std::size_t context = 3) {
    const std::string all = unified_diff(
        "a", "b", hunks_of(diff_lines(split_lines(old_text), split_lines(new_text)), context));
    return all.empty() ? all : all.substr(all.find("@@"));
}

TEST(TextDiff, SplitsLinesAtNewlines) {
    EXPECT_TRUE(split_lines("").empty());
    EXPECT_EQ(split_lines("a"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(split_lines("a\n"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(split_lines("a\n\nb"), (std::vector<std::string_view>{"a", "", "b"}));
}

TEST(TextDiff, AlignsTheLinesOfBothTexts) {
    const std::vector<std::string_view> old_lines{"a", "b", "c", "d"};
    const std::vector<std::string_view> new_lines{"a", "B", "c", "d", "e"};
    EXPECT_EQ(diff_lines(old_lines, new_lines),
              (std::vector<DiffLine>{{LineChange::same, 1, 1, "a"},
                                     {LineChange::removed, 2, 0, "b"},
                                     {LineChange::added, 0, 2, "B"},
                                     {LineChange::same, 3, 3, "c"},
                                     {LineChange::same, 4, 4, "d"},
                                     {LineChange::added, 0, 5, "e"}}));
    for (const DiffLine& line : diff_lines(old_lines, old_lines)) {
        EXPECT_EQ(line.change, LineChange::same);
    }
    EXPECT_EQ(diff_lines({}, {"x"}), (std::vector<DiffLine>{{LineChange::added, 0, 1, "x"}}));
    EXPECT_EQ(diff_lines({"x"}, {}), (std::vector<DiffLine>{{LineChange::removed, 1, 0, "x"}}));
    // A run of changes lists what went before what came.
    EXPECT_EQ(diff_lines({"a", "b", "z"}, {"x", "y", "z"}),
              (std::vector<DiffLine>{{LineChange::removed, 1, 0, "a"},
                                     {LineChange::removed, 2, 0, "b"},
                                     {LineChange::added, 0, 1, "x"},
                                     {LineChange::added, 0, 2, "y"},
                                     {LineChange::same, 3, 3, "z"}}));
}

// The expected hunks are what GNU diff -u printed for the same texts.
TEST(TextDiff, HunksAreNumberedAndJoinedAsDiffDoes) {
    const std::string ten = "l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nl10\n";
    const std::string changed = "l1\nL2\nl3\nl4\nl6\nl7\nl8\nl9\nnew\nl10\n";
    EXPECT_EQ(hunks(ten, changed),
              "@@ -1,10 +1,10 @@\n l1\n-l2\n+L2\n l3\n l4\n-l5\n l6\n l7\n l8\n l9\n+new\n l10\n");
    EXPECT_EQ(hunks(ten, changed, 1),
              "@@ -1,6 +1,5 @@\n l1\n-l2\n+L2\n l3\n l4\n-l5\n l6\n"
              "@@ -9,2 +8,3 @@\n l9\n+new\n l10\n");
    EXPECT_EQ(hunks("a\nb\nc\n", "x\na\nb\nc\n"), "@@ -1,3 +1,4 @@\n+x\n a\n b\n c\n");
    EXPECT_EQ(hunks("a\nb\nc\nd\ne\nf\n", "x\na\nb\nc\nd\ne\nf\n", 0), "@@ -0,0 +1 @@\n+x\n");
    EXPECT_EQ(hunks("", "x\ny\n"), "@@ -0,0 +1,2 @@\n+x\n+y\n");
    EXPECT_EQ(hunks("x\ny\n", ""), "@@ -1,2 +0,0 @@\n-x\n-y\n");
    EXPECT_EQ(hunks("a\nb\nc\n", "a\nc\n", 0), "@@ -2 +1,0 @@\n-b\n");
    EXPECT_EQ(hunks(ten, ten), "");
    EXPECT_EQ(unified_diff("OLD:P", "NEW:P", hunks_of(diff_lines({"a"}, {"b"}), 3)),
              "--- OLD:P\n+++ NEW:P\n@@ -1 +1 @@\n-a\n+b\n");
}

// Any two texts: the lines kept and added give the new text again, those kept and removed the
// old one, each numbered in its text's order.
TEST(TextDiff, TheAlignmentHoldsBothTextsWhole) {
    std::uint32_t seed = 7;
    const auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % 5;
    };
    const std::vector<std::string_view> words{"a", "b", "c", "d", "e"};
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string_view> old_lines;
        std::vector<std::string_view> new_lines;
        for (std::uint32_t i = next() * 4; i > 0; --i) {
            old_lines.push_back(words[next()]);
        }
        for (std::uint32_t i = next() * 4; i > 0; --i) {
            new_lines.push_back(words[next()]);
        }
        std::vector<std::string_view> old_again;
        std::vector<std::string_view> new_again;
        for (const DiffLine& line : diff_lines(old_lines, new_lines)) {
            if (line.change != LineChange::added) {
                EXPECT_EQ(line.old_line, old_again.size() + 1);
                old_again.push_back(line.text);
            }
            if (line.change != LineChange::removed) {
                EXPECT_EQ(line.new_line, new_again.size() + 1);
                new_again.push_back(line.text);
            }
        }
        EXPECT_EQ(old_again, old_lines);
        EXPECT_EQ(new_again, new_lines);
    }
}

TEST(TextDiff, ChangedWordsAreFoundInsideAChangedLine) {
    const std::string_view old_line = "IF{@PAT.FIELD1}^X  computed value";
    const std::string_view new_line = "IF{@PAT.FIELD2}^X  computed values";
    const WordChanges changes = changed_words(old_line, new_line);
    ASSERT_EQ(changes.removed.size(), 2u);
    EXPECT_EQ(old_line.substr(changes.removed[0].start, changes.removed[0].length), "FIELD1");
    EXPECT_EQ(old_line.substr(changes.removed[1].start, changes.removed[1].length), "value");
    ASSERT_EQ(changes.added.size(), 2u);
    EXPECT_EQ(new_line.substr(changes.added[0].start, changes.added[0].length), "FIELD2");
    EXPECT_EQ(new_line.substr(changes.added[1].start, changes.added[1].length), "values");
    // Neighbouring changed words make one span; the same line changes nothing.
    const WordChanges joined = changed_words("a b c d", "a x y d");
    EXPECT_EQ(joined.removed, (std::vector<Span>{{2, 3}}));
    EXPECT_EQ(joined.added, (std::vector<Span>{{2, 3}}));
    EXPECT_EQ(changed_words("same", "same"), WordChanges{});
    EXPECT_EQ(changed_words("", "new"), (WordChanges{{}, {{0, 3}}}));
}

TEST(TextDiff, SideBySideRowsPairTheLinesOfAChange) {
    const std::vector<DiffLine> lines =
        diff_lines({"same", "old one", "old two", "gone", "end"}, {"same", "new one", "end"});
    const std::vector<SideBySideRow> rows = side_by_side(lines);
    std::vector<std::string> shown;
    for (const SideBySideRow& row : rows) {
        shown.push_back(std::string(row.old_line ? row.old_line->text : "-") + " | " +
                        std::string(row.new_line ? row.new_line->text : "-"));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"same | same", "old one | new one", "old two | -",
                                               "gone | -", "end | end"}));
    EXPECT_EQ(rows[1].words, (WordChanges{{{0, 3}}, {{0, 3}}}));
    EXPECT_EQ(rows[2].words, WordChanges{});
}

}  // namespace
}  // namespace qlx::comparison
