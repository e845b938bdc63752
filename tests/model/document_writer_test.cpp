#include "model/document_writer.h"

#include <gtest/gtest.h>

#include "files/background_sink.h"
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

TEST(DocumentWriter, KnowsItsParagraphAndBytesInEachDocument) {
    testing::MemorySink sink;
    DocumentWriter out(sink);
    out.begin_document(1);
    out.line(rtfBodyStart, std::string_view("\\par is text"), rtfPlain);
    EXPECT_EQ(out.paragraph(), 0u);
    out.line(rtfPar);
    out.line(rtfEqualsRuleTop);
    EXPECT_EQ(out.paragraph(), 2u);
    out.line(rtfRedBold, rtfDashRule);
    out.line(rtfGreen, std::string_view("x"), rtfGreenEnd, rtfPar);
    EXPECT_EQ(out.paragraph(), 5u);
    // Past a block handed to the sink.
    const std::string value(100 * 1024, 'v');
    for (int i = 0; i < 5; ++i) {
        out.line(rtfPar, value);
    }
    EXPECT_EQ(out.paragraph(), 10u);
    EXPECT_EQ(sink.documents.size(), 1u);
    const std::size_t bytes = out.document_bytes();
    out.end_document();
    EXPECT_EQ(bytes, sink.documents[0].size());
    out.begin_document(2);
    EXPECT_EQ(out.paragraph(), 0u);
    EXPECT_EQ(out.document_bytes(), 0u);
    out.line(rtfPar);
    EXPECT_EQ(out.paragraph(), 1u);
    EXPECT_EQ(out.document_bytes(), 7u);
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

// Writing on a thread of its own: the same documents in the same order, a small queue that
// makes the converting side wait rather than lose anything, and a failure that stops both.
TEST(BackgroundSink, HandsOnEveryDocumentInOrder) {
    testing::MemorySink sink;
    {
        BackgroundSink background(sink, 64);  // far smaller than what is written
        DocumentWriter out(background);
        for (int n = 1; n <= 50; ++n) {
            out.begin_document(n);
            for (int i = 0; i < 100; ++i) {
                out.line(rtfPar, std::to_string(n) + "." + std::to_string(i));
            }
            out.end_document();
        }
        ASSERT_TRUE(out.status());
        ASSERT_TRUE(background.finish());
        ASSERT_EQ(sink.documents.size(), 50u);
    }
    EXPECT_EQ(sink.ended, 50);
    for (int n = 1; n <= 50; ++n) {
        EXPECT_EQ(sink.numbers[n - 1], n);
        std::string expected;
        for (int i = 0; i < 100; ++i) {
            expected += "\\par " + std::to_string(n) + "." + std::to_string(i) + "\r\n";
        }
        EXPECT_EQ(sink.documents[n - 1], expected);
    }
}

TEST(BackgroundSink, AFailureReachesTheWriterAndFinishAndStopsTheSink) {
    FailingSink failing;
    BackgroundSink background(failing);
    DocumentWriter out(background);
    for (int n = 1; n <= 200 && out.status(); ++n) {
        out.begin_document(n);
        out.line(rtfPar, std::string(300 * 1024, 'x'));  // one block each
        out.end_document();
    }
    const auto finished = background.finish();
    ASSERT_FALSE(finished);
    EXPECT_EQ(finished.error().path, "out/temp1.rtf");
    EXPECT_EQ(finished.error().reason, "No space left on device");
    EXPECT_EQ(failing.writes, 1);
    // Nothing more is taken once the failure is known.
    EXPECT_FALSE(background.write("more"));
}

}  // namespace
}  // namespace qlx::conversion
