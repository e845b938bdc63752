// Every prefix of the sample export, cut at every byte, converts without failing, and every
// document that was complete before the cut comes out byte for byte as from the whole file.
#include "conversion/driver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/conversion_run.h"

namespace qlx::conversion {
namespace {

std::string read_sample() {
    std::ifstream in(QLX_EXAMPLES_DIR "/sample.qlx", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Offsets of the procedure key lines: where each document after the first begins.
std::vector<std::size_t> procedure_starts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        const std::string_view line = text.substr(at, end - at);
        if (line == "PROC" || line == "@@PROC") {
            starts.push_back(at);
        }
        if (end == std::string_view::npos) {
            break;
        }
        at = end + 2;
    }
    return starts;
}

TEST(PrefixDamage, DocumentsCompleteBeforeTheCutAreUnchanged) {
    const std::string text = read_sample();
    ASSERT_FALSE(text.empty());
    const auto whole = testing::convert(text);
    const std::vector<std::size_t> starts = procedure_starts(text);
    ASSERT_EQ(starts.size(), whole.sink.documents.size());
    ASSERT_TRUE(whole.report.damage.empty());

    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        testing::MemorySink sink;
        const auto report = convert_export(std::string_view(text).substr(0, cut), sink);
        ASSERT_TRUE(report) << "cut at " << cut;
        // Document k is complete once the key line of document k + 1 has arrived whole: its
        // four characters alone, or with their CR LF.
        for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
            const std::size_t key_end = starts[k + 1] + 4;
            if (cut == key_end || cut >= key_end + 2) {
                ASSERT_GT(sink.documents.size(), k) << "cut at " << cut;
                ASSERT_EQ(sink.documents[k], whole.sink.documents[k])
                    << "document " << k + 1 << ", cut at " << cut;
            }
        }
        if (cut == text.size()) {
            EXPECT_EQ(sink.documents, whole.sink.documents);
        }
    }
}

}  // namespace
}  // namespace qlx::conversion
