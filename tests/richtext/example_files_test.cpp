#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "model_dump.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

namespace qlx::richtext {
namespace {

namespace fs = std::filesystem;

const fs::path data_folder = QLX_RICHTEXT_TEST_DATA;

std::vector<std::string> example_names() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(data_folder)) {
        if (entry.path().extension() == ".rtf") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::ranges::sort(names);
    return names;
}

// Each data/NAME.rtf is read and compared with data/NAME.expected, the model written out as
// testing::dump writes it; the model must then survive a round trip through the writer.
class ExampleFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleFile, ReadsAsExpectedAndRoundTrips) {
    const std::string rtf = testing::file_bytes(data_folder / (GetParam() + ".rtf"));
    const RtfReadResult result = read_rtf(rtf);
    EXPECT_EQ(result.problems, RtfProblems{});
    EXPECT_EQ(testing::dump(result.document),
              testing::file_bytes(data_folder / (GetParam() + ".expected")));
    EXPECT_TRUE(read_rtf(to_rtf(result.document)).document == result.document);
}

INSTANTIATE_TEST_SUITE_P(Data, ExampleFile, ::testing::ValuesIn(example_names()),
                         [](const auto& param_info) { return param_info.param; });

}  // namespace
}  // namespace qlx::richtext
