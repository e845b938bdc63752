#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "model_dump.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/text_writer.h"

namespace qlx::richtext {
namespace {

namespace fs = std::filesystem;

const fs::path data_folder = QLX_RICHTEXT_TEST_DATA;

// The names, without ".rtf", of the RTF files in a folder, sorted.
std::vector<std::string> rtf_names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
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

INSTANTIATE_TEST_SUITE_P(Data, ExampleFile, ::testing::ValuesIn(rtf_names(data_folder)),
                         [](const auto& param_info) { return param_info.param; });

const fs::path public_folder = QLX_RICHTEXT_PUBLIC_DATA;

// Each public/NAME.rtf reads to the text in public/NAME.txt (checked against a word
// processor's reading, see public/MANIFEST.md), and its model survives the writer.
class PublicFile : public ::testing::TestWithParam<std::string> {};

TEST_P(PublicFile, ReadsAsAWordProcessorDoesAndRoundTrips) {
    const std::string rtf = testing::file_bytes(public_folder / (GetParam() + ".rtf"));
    const Document document = read_rtf(rtf).document;
    EXPECT_EQ(to_text(document), testing::file_bytes(public_folder / (GetParam() + ".txt")));
    EXPECT_TRUE(read_rtf(to_rtf(document)).document == document);
}

INSTANTIATE_TEST_SUITE_P(Public, PublicFile, ::testing::ValuesIn(rtf_names(public_folder)),
                         [](const auto& param_info) {
                             std::string name = param_info.param;
                             std::ranges::replace_if(
                                 name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                                 '_');
                             return name;
                         });

}  // namespace
}  // namespace qlx::richtext
