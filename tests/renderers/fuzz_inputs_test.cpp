// The stored inputs of the converter's fuzz target, and the sample export, convert into
// documents whose RTF groups balance, within a time bound.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz/brace_balance.h"
#include "support/section_output.h"

namespace qlx::renderers {
namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::filesystem::path> stored_inputs() {
    std::vector<std::filesystem::path> paths = {QLX_EXAMPLES_DIR "/sample.qlx"};
    for (const auto& entry : std::filesystem::directory_iterator(QLX_FUZZ_CORPUS_DIR)) {
        if (entry.is_regular_file()) {
            paths.push_back(entry.path());
        }
    }
    return paths;
}

TEST(StoredFuzzInputs, ConvertIntoBalancedDocuments) {
    const auto paths = stored_inputs();
    ASSERT_GT(paths.size(), 1u);
    std::size_t checked = 0;
    for (const auto& path : paths) {
        const testing::Converted converted = testing::convert(read_file(path));
        checked += converted.sink.documents.size();
        if (path.filename() == "sample.qlx") {
            EXPECT_EQ(converted.sink.documents.size(), 4u);
        }
        for (std::size_t n = 0; n < converted.sink.documents.size(); ++n) {
            fuzzing::BraceBalance balance;
            balance.feed(converted.sink.documents[n]);
            EXPECT_TRUE(balance.balanced()) << path << ", document " << n + 1;
            EXPECT_TRUE(converted.sink.documents[n].ends_with("\\par \r\n\\par }\r\n"))
                << path << ", document " << n + 1;
        }
    }
    EXPECT_GT(checked, paths.size());
}

TEST(StoredFuzzInputs, BalanceCheckCatchesABrokenDocument) {
    fuzzing::BraceBalance balance;
    balance.feed("{\\rtf1 \\{ \\\\}");
    EXPECT_TRUE(balance.balanced());
    balance.feed("}{");
    EXPECT_FALSE(balance.balanced());
}

}  // namespace
}  // namespace qlx::renderers
