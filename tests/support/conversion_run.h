#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/driver.h"
#include "support/memory_sink.h"

namespace qlx::testing {

// The lines of a document without their CR LF; a final CR LF ends the last line.
inline std::vector<std::string> split_lines(std::string_view document) {
    std::vector<std::string> result;
    while (!document.empty()) {
        const std::size_t end = document.find("\r\n");
        result.emplace_back(document.substr(0, end));
        document.remove_prefix(end == std::string_view::npos ? document.size() : end + 2);
    }
    return result;
}

struct Converted {
    MemorySink sink;
    conversion::ConversionReport report;

    // Lines of document n (1-based, like temp<n>.rtf).
    std::vector<std::string> document_lines(std::size_t n) const {
        return split_lines(sink.documents.at(n - 1));
    }
    std::vector<conversion::Damage> damage() const { return report.damage.kept(); }
};

// A text handed over a few bytes at a time, as a file being read is: the reader's buffer
// fills, moves and grows many times over.
class InSmallPieces : public conversion::ArrivingText {
public:
    explicit InSmallPieces(std::string_view text) : text_(text), size_(text.size()) {}
    std::size_t read(char* data, std::size_t room) override {
        const std::size_t handed = std::min({room, text_.size(), std::size_t{7}});
        std::copy_n(text_.data(), handed, data);
        text_.remove_prefix(handed);
        return handed;
    }
    std::size_t expected_size() const override { return size_; }
    std::size_t piece_size() const override { return 5; }

private:
    std::string_view text_;
    std::size_t size_;
};

// Converts the whole text; the same text arriving in small pieces must convert to the same
// documents and report.
inline Converted convert(std::string_view text) {
    Converted result;
    auto report = conversion::convert_export(text, result.sink);
    EXPECT_TRUE(report.has_value());
    if (report) {
        result.report = std::move(*report);
    }
    MemorySink arriving_sink;
    InSmallPieces pieces(text);
    const auto arriving = conversion::convert_export(pieces, arriving_sink);
    EXPECT_EQ(arriving.has_value(), report.has_value());
    if (arriving && report) {
        EXPECT_EQ(arriving_sink.documents, result.sink.documents);
        EXPECT_EQ(arriving->captions, result.report.captions);
        EXPECT_EQ(arriving->damage.kept(), result.report.damage.kept());
        EXPECT_EQ(arriving->damage.count(), result.report.damage.count());
        EXPECT_EQ(arriving->maps.size(), result.report.maps.size());
        for (std::size_t i = 0; i < std::min(arriving->maps.size(), result.report.maps.size());
             ++i) {
            EXPECT_EQ(arriving->maps[i].outline, result.report.maps[i].outline);
            EXPECT_EQ(arriving->maps[i].header_bytes, result.report.maps[i].header_bytes);
        }
    }
    return result;
}

}  // namespace qlx::testing
