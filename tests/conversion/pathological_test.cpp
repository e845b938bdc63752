// Inputs that no export should be, converted under the test's time limit: they must finish
// quickly and never crash.
#include "conversion/driver.h"

#include <gtest/gtest.h>

#include <random>

#include "support/conversion_run.h"

namespace qlx::conversion {
namespace {

const std::string header = "MEDITECH.CUST.RPTS^H\r\n";

// Counts bytes instead of keeping them.
class CountingSink : public DocumentSink {
public:
    std::expected<void, FileError> begin_document(int) override {
        ++documents;
        return {};
    }
    std::expected<void, FileError> write(std::string_view bytes) override {
        bytes_written += bytes.size();
        return {};
    }
    std::expected<void, FileError> end_document() override { return {}; }

    std::size_t documents = 0;
    std::size_t bytes_written = 0;
};

TEST(PathologicalInput, RandomBytesAndNulsAfterTheSignature) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string text = header;
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < 20000; ++i) {
            text += static_cast<char>(byte(random));
            if (i % 97 == 0) {
                text += "\r\nPROC\r\n";
            }
        }
        CountingSink sink;
        ASSERT_TRUE(convert_export(text, sink));
    }
}

TEST(PathologicalInput, OneHugeLine) {
    // Quadratic work on a line of this length would run for days.
    const std::size_t braces = 16 * 1024 * 1024;
    std::string text = header + "PROC\r\n";
    text.append(braces, '{');
    CountingSink sink;
    auto report = convert_export(text, sink);
    ASSERT_TRUE(report);
    EXPECT_EQ(sink.documents, 1u);
    // Every brace of the name is escaped: two bytes more for each than a name of one brace.
    CountingSink one_brace;
    ASSERT_TRUE(convert_export(header + "PROC\r\n{", one_brace));
    EXPECT_EQ(sink.bytes_written - one_brace.bytes_written, 2 * (braces - 1));
}

TEST(PathologicalInput, AHundredThousandProcedures) {
    std::string text = header;
    for (int i = 0; i < 100000; ++i) {
        text += "PROC\r\nP\r\n\r\n";
    }
    CountingSink sink;
    auto report = convert_export(text, sink);
    ASSERT_TRUE(report);
    EXPECT_EQ(sink.documents, 100000u);
    EXPECT_EQ(report->captions.size(), 100000u);
}

TEST(PathologicalInput, DamageOnEveryLineIsCountedNotKept) {
    std::string text = header;
    for (int i = 0; i < 200000; ++i) {
        text += "MACRO\r\n";
    }
    CountingSink sink;
    auto report = convert_export(text, sink);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->damage.count(), 100000u);
    EXPECT_EQ(report->damage.kept().size(), DamageLog::max_kept);
    EXPECT_EQ(sink.documents, 0u);
}

TEST(PathologicalInput, TextThatIsAlmostNothing) {
    for (std::string_view text : {"", "M", "MEDITECH.CUST.RPTS^", "MEDITECH.CUST.RPTS^\r\n",
                                  "MEDITECH.CUST.RPTS^\r\nPROC", "\r\n\r\n\r\n", "\n\n"}) {
        CountingSink sink;
        EXPECT_TRUE(convert_export(text, sink)) << text;
        EXPECT_EQ(sink.documents, text.ends_with("PROC") ? 1u : 0u) << text;
    }
}

}  // namespace
}  // namespace qlx::conversion
