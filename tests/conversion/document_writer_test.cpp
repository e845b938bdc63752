#include "conversion/document_writer.h"

#include <gtest/gtest.h>

#include "support/memory_sink.h"

namespace qlx::conversion {
namespace {

TEST(DocumentWriter, WritesLiteralsRawAndEscapesExportText) {
    testing::MemorySink sink;
    DocumentWriter out(sink);
    out.begin_document(1);
    out.line(rtfPar, std::string_view("a{b}\\"), "\\plain"_rtf);
    out.line(rtfEnd);
    out.end_document();
    ASSERT_EQ(sink.documents.size(), 1u);
    EXPECT_EQ(sink.documents[0], "\\par a\\{b\\}\\\\\\plain\r\n\\par }\r\n");
    EXPECT_EQ(sink.ended, 1);
}

TEST(DocumentWriter, DropsAndCountsLinesOutsideADocument) {
    testing::MemorySink sink;
    DocumentWriter out(sink);
    out.line(rtfPar);
    out.line(rtfPar);
    EXPECT_EQ(out.dropped_lines(), 2u);
    EXPECT_TRUE(sink.documents.empty());
    out.end_document();
    EXPECT_EQ(sink.ended, 0);
}

TEST(DocumentWriter, LargeDocumentsArriveWhole) {
    testing::MemorySink sink;
    DocumentWriter out(sink);
    const std::string value(1000, 'v');
    out.begin_document(1);
    for (int i = 0; i < 2000; ++i) {
        out.line(rtfPar, value);
    }
    out.end_document();
    out.begin_document(2);
    out.line(rtfEnd);
    out.end_document();
    ASSERT_EQ(sink.documents.size(), 2u);
    EXPECT_EQ(sink.documents[0].size(), 2000u * (5 + 1000 + 2));
    EXPECT_EQ(sink.documents[1], "\\par }\r\n");
    EXPECT_EQ(sink.numbers, (std::vector<int>{1, 2}));
}

class FailingSink : public DocumentSink {
public:
    std::expected<void, FileError> begin_document(int) override { return {}; }
    std::expected<void, FileError> write(std::string_view) override {
        ++writes;
        return std::unexpected(FileError{"out/temp1.rtf", "No space left on device"});
    }
    std::expected<void, FileError> end_document() override { return {}; }
    int writes = 0;
};

TEST(DocumentWriter, KeepsTheFirstSinkFailureAndStopsWriting) {
    FailingSink sink;
    DocumentWriter out(sink);
    out.begin_document(1);
    out.line(rtfPar);
    out.end_document();
    out.begin_document(2);
    out.line(rtfPar);
    out.end_document();
    ASSERT_FALSE(out.status());
    EXPECT_EQ(out.status().error().path, "out/temp1.rtf");
    EXPECT_EQ(sink.writes, 1);
}

}  // namespace
}  // namespace qlx::conversion
