#pragma once

#include <gtest/gtest.h>

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

inline Converted convert(std::string_view text) {
    Converted result;
    auto report = conversion::convert_export(text, result.sink);
    EXPECT_TRUE(report.has_value());
    if (report) {
        result.report = std::move(*report);
    }
    return result;
}

}  // namespace qlx::testing
