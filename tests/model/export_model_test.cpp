#include "model/export_model.h"

#include <gtest/gtest.h>

#include "support/export_builder.h"

namespace qlx::conversion {
namespace {

using namespace std::string_view_literals;

std::vector<std::string> take_all(LineReader& reader) {
    std::vector<std::string> lines;
    while (!reader.at_end()) {
        lines.emplace_back(reader.take_next_line());
    }
    return lines;
}

TEST(DamageLog, KeepsTheFirstPlacesAndCountsEveryOne) {
    DamageLog log;
    for (std::size_t line = 1; line <= DamageLog::max_kept - 10; ++line) {
        log.record(line, "early");
    }
    DamageLog later;
    for (std::size_t line = 1; line <= DamageLog::max_kept + 500; ++line) {
        later.record(line, "late");
    }
    EXPECT_EQ(later.count(), DamageLog::max_kept + 500);
    ASSERT_EQ(later.kept().size(), DamageLog::max_kept);
    EXPECT_EQ(later.kept().back(), (Damage{DamageLog::max_kept, "late"}));

    // Appended, the later places fill what is left of the kept list, in their order; every
    // place, kept or not, is counted once.
    log.append(later);
    EXPECT_EQ(log.count(), 2 * DamageLog::max_kept + 490);
    ASSERT_EQ(log.kept().size(), DamageLog::max_kept);
    EXPECT_EQ(log.kept()[DamageLog::max_kept - 11], (Damage{DamageLog::max_kept - 10, "early"}));
    EXPECT_EQ(log.kept()[DamageLog::max_kept - 10], (Damage{1, "late"}));
    EXPECT_EQ(log.kept().back(), (Damage{10, "late"}));

    DamageLog empty;
    empty.append(DamageLog{});
    EXPECT_TRUE(empty.empty());
}

TEST(IsExport, OnlyTheExactSignatureAtTheStart) {
    EXPECT_TRUE(is_export("MEDITECH.CUST.RPTS^"));
    EXPECT_TRUE(is_export("MEDITECH.CUST.RPTS^X^Y\r\nPROC\r\n"));
    EXPECT_FALSE(is_export("meditech.cust.rpts^"));
    EXPECT_FALSE(is_export(" MEDITECH.CUST.RPTS^"));
    EXPECT_FALSE(is_export("\xEF\xBB\xBFMEDITECH.CUST.RPTS^"));
    EXPECT_FALSE(is_export("MEDITECH.CUST.RPTS"));
    EXPECT_FALSE(is_export(""));
}

TEST(LineReader, SplitsOnCrLfAndKeepsLoneCrAndLf) {
    DamageLog damage;
    LineReader reader("one\r\ntwo\rstill two\nstill two\r\n\r\nfour\r\n", &damage);
    EXPECT_EQ(take_all(reader),
              (std::vector<std::string>{"one", "two\rstill two\nstill two", "", "four"}));
    EXPECT_EQ(reader.line_number(), 4u);
    EXPECT_TRUE(damage.empty());
}

TEST(LineReader, ReadsDamagedLineEndsAndRecordsThem) {
    {
        DamageLog damage;
        LineReader reader("one\r\nlast", &damage);
        EXPECT_EQ(take_all(reader), (std::vector<std::string>{"one", "last"}));
        ASSERT_EQ(damage.count(), 1u);
        EXPECT_EQ(damage.kept()[0].line, 2u);
    }
    {
        DamageLog damage;
        LineReader reader("one\ntwo\r\nthree\n", &damage);
        EXPECT_EQ(take_all(reader), (std::vector<std::string>{"one\ntwo", "three\n"}));
    }
    {
        DamageLog damage;
        LineReader reader("one\ntwo\n", &damage);
        EXPECT_EQ(take_all(reader), (std::vector<std::string>{"one", "two"}));
        ASSERT_EQ(damage.count(), 1u);
        EXPECT_EQ(damage.kept()[0].line, 1u);
    }
}

TEST(LineReader, MissingLineIsEmptyAndNumberedWithTheClaimingLine) {
    DamageLog damage;
    LineReader reader("a\r\nPROC\r\nNAME\r\n", &damage);
    reader.take_next_line();
    reader.take_next_line();
    reader.set_claiming_line(reader.line_number());
    EXPECT_EQ(reader.take_next_line(), "NAME");
    EXPECT_EQ(reader.take_next_line(), "");
    EXPECT_EQ(reader.take_next_line(), "");
    ASSERT_EQ(damage.count(), 2u);
    EXPECT_EQ(damage.kept()[0].line, 2u);
    EXPECT_EQ(damage.kept()[0].reason, "a line it needs is missing at the end of the file");
    EXPECT_EQ(reader.line_number(), 3u);
}

// A text that arrives a byte at a time, as slowly as it can.
class ByteByByte : public ArrivingText {
public:
    explicit ByteByByte(std::string_view text) : text_(text) {}
    std::size_t read(char* data, std::size_t room) override {
        ++reads;
        EXPECT_GT(room, 0u);
        if (text_.empty()) {
            return 0;
        }
        *data = text_.front();
        text_.remove_prefix(1);
        return 1;
    }
    std::size_t expected_size() const override { return text_.size(); }
    std::size_t piece_size() const override { return 1; }
    std::size_t reads = 0;

private:
    std::string_view text_;
};

TEST(LineReader, TextStillArrivingSplitsAsTheWholeTextDoes) {
    for (const std::string_view text :
         {"one\r\ntwo\rtwo\ntwo\r\n\r\nfour\r\n"sv, "one\ntwo\n"sv, "one\ntwo\r\nthree\n"sv,
          "one\r\nlast"sv, "no line end"sv, ""sv, "\r"sv,
          "a line longer than the room the reader starts with\r\n\r\nb\r"sv}) {
        DamageLog whole_damage;
        LineReader whole(text, &whole_damage);
        DamageLog arriving_damage;
        ByteByByte arriving(text);
        LineReader reader(arriving, &arriving_damage);
        // A line at a time, each let go before the next is taken, as the converter does.
        while (!reader.at_end()) {
            ASSERT_FALSE(whole.at_end()) << text;
            EXPECT_EQ(reader.take_next_line(), whole.take_next_line()) << text;
            EXPECT_EQ(reader.consumed(), whole.consumed()) << text;
            reader.let_go_of_taken();
        }
        EXPECT_TRUE(whole.at_end()) << text;
        EXPECT_EQ(reader.line_number(), whole.line_number()) << text;
        EXPECT_EQ(arriving_damage.kept(), whole_damage.kept()) << text;
    }

    // Lines taken and not let go stay as they were while far more than the reader's first room
    // arrives after them.
    const std::string long_line(100, 'x');
    const std::string text = "one\r\n" + long_line + "\r\nthree\r\nfour\r\n";
    ByteByByte slowly(text);
    LineReader held(slowly);
    EXPECT_EQ(held.take_next_line(), "one");
    held.let_go_of_taken();
    const std::string_view two = held.take_next_line();
    const std::string_view three = held.take_next_line();
    EXPECT_EQ(two, long_line);
    EXPECT_EQ(three, "three");
    held.let_go_of_taken();
    EXPECT_EQ(held.take_next_line(), "four");
    EXPECT_TRUE(held.at_end());
    EXPECT_EQ(held.consumed(), text.size());

    // What comes next is looked at as far as it needs, across what has not arrived yet.
    ByteByByte arriving("a\r\n***\r\n**");
    LineReader reader(arriving);
    EXPECT_EQ(reader.take_next_line(), "a");
    const std::size_t reads = arriving.reads;
    EXPECT_TRUE(reader.next_starts_with("***"));
    EXPECT_GT(arriving.reads, reads);
    EXPECT_EQ(reader.take_next_line(), "***");
    EXPECT_FALSE(reader.next_starts_with("***"));
    EXPECT_EQ(reader.take_next_line(), "**");
    EXPECT_TRUE(reader.at_end());
}
TEST(TakeCountedString, TakesLengthPrefixedStringsInTurn) {
    LineReader reader("");
    const std::string long_value(200, 'x');
    std::string storage = testing::counted("AB") + testing::counted("") +
                          testing::counted(long_value) + testing::counted("\\{");
    std::string_view text = storage;
    EXPECT_EQ(take_counted_string(text, reader), "AB");
    EXPECT_EQ(take_counted_string(text, reader), "");
    EXPECT_EQ(take_counted_string(text, reader), long_value);
    EXPECT_EQ(take_counted_string(text, reader), "\\{");
    EXPECT_TRUE(text.empty());
}

TEST(TakeCountedString, ShortOrMissingStringYieldsWhatIsThereAndIsRecorded) {
    DamageLog damage;
    LineReader reader("", &damage);
    std::string_view text = "\x05" "abc";
    EXPECT_EQ(take_counted_string(text, reader), "abc");
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(take_counted_string(text, reader), "");
    EXPECT_EQ(damage.count(), 2u);
}

TEST(HeaderFields, LabelsEachFieldAndCountsThem) {
    const HeaderFields two("MEDITECH.CUST.RPTS^H1^M1");
    ASSERT_EQ(two.count(), 3u);
    EXPECT_EQ(two.entry(1), "MEDITECH.CUST.RPTS");
    EXPECT_EQ(two.entry(2), "Hospital  H1");
    EXPECT_EQ(two.entry(3), "MIS       M1");

    const HeaderFields trailing_empty("MEDITECH.CUST.RPTS^H^M^");
    ASSERT_EQ(trailing_empty.count(), 4u);
    EXPECT_EQ(trailing_empty.entry(4), "Directory ");

    const HeaderFields many("MEDITECH.CUST.RPTS^2^3^4^5^6^7^8^9^10^11^12");
    ASSERT_EQ(many.count(), 12u);
    EXPECT_EQ(many.entry(5), "User      5");
    EXPECT_EQ(many.entry(6), "Date      6");
    EXPECT_EQ(many.entry(7), "Segment   7");
    EXPECT_EQ(many.entry(8), "Comment   8");
    EXPECT_EQ(many.entry(9), "9");
    EXPECT_EQ(many.entry(10), "10");
    EXPECT_EQ(many.entry(12), "12");
    for (std::size_t i = 1; i <= many.count(); ++i) {
        EXPECT_TRUE(many.entry(i).starts_with(header_label(i)));
    }
    EXPECT_EQ(header_label(6), "Date      ");
    EXPECT_EQ(header_label(1), "");
    EXPECT_EQ(header_label(9), "");

    const HeaderFields no_caret("MEDITECH");
    ASSERT_EQ(no_caret.count(), 1u);
    EXPECT_EQ(no_caret.entry(1), "MEDITECH");
}

}  // namespace
}  // namespace qlx::conversion
