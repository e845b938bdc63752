#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "cli/convert_command.h"
#include "file_bytes.h"

namespace qlx::cli {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder()
        : path_(fs::temp_directory_path() /
                (std::string("qlx-cli-output-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TemporaryFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(CliOutput, RecognisesRtfNamesInAnyCase) {
    EXPECT_TRUE(is_rtf_name("temp1.rtf"));
    EXPECT_TRUE(is_rtf_name("C:\\temp\\TEMP1.RTF"));
    EXPECT_TRUE(is_rtf_name(".Rtf"));
    EXPECT_FALSE(is_rtf_name("rtf"));
    EXPECT_FALSE(is_rtf_name("temp1.rtf.txt"));
    EXPECT_FALSE(is_rtf_name("temp1_rtf"));
}

TEST(CliOutput, WritesTheTextOrPageOfAnRtfFile) {
    const TemporaryFolder folder;
    const fs::path file = folder.path() / "note.RTF";
    std::ofstream(file, std::ios::binary) << "{\\rtf1 caf\\'e9{\\b  bold}\\par line}";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run_rtf_output(file.string(), RichTextOutput::text, out, err), exit_ok);
    EXPECT_EQ(out.str(), "caf\xC3\xA9 bold\nline");
    out.str("");
    EXPECT_EQ(run_rtf_output(file.string(), RichTextOutput::html, out, err), exit_ok);
    EXPECT_EQ(out.str(),
              "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>note.RTF</title>\n"
              "<style>\np { margin: 0; white-space: pre-wrap; tab-size: 0.5in; }\n"
              ".c0 { font-size: 12pt; }\n.c1 { font-size: 12pt; font-weight: bold; }\n</style>\n"
              "</head>\n<body>\n<p class=\"c0\">caf\xC3\xA9<span class=\"c1\"> bold</span></p>\n"
              "<p class=\"c0\">line</p>\n</body>\n</html>\n");
    out.str("");
    EXPECT_EQ(run_rtf_output(file.string(), RichTextOutput::rtf, out, err), exit_ok);
    EXPECT_EQ(out.str(),
              "{\\rtf1\\ansi\\ansicpg1252\\deftab720\\uc1{\\fonttbl}\r\n"
              "{\\colortbl;}\r\n\\pard\\plain caf\\'e9\\plain\\b  bold\\plain "
              "\\par\r\nline}\r\n\r\n");
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(
        run_rtf_output((folder.path() / "missing.rtf").string(), RichTextOutput::text, out, err),
        exit_failure);
    EXPECT_NE(err.str().find("missing.rtf"), std::string::npos);
}

// Whole documents, their text and their pages, byte for byte as stored beside the tests: the
// sample export, and one with non-ASCII, markup characters and DEL in its caption and text.
// --text and --html each alone add only their own files.
TEST(CliOutput, WritesExactlyTheStoredDocumentsTextAndPages) {
    const fs::path golden = QLX_RICHTEXT_TEST_DATA "/golden";
    for (const auto& [export_path, expected] :
         {std::pair{fs::path(QLX_EXAMPLES_DIR "/sample.qlx"), golden / "sample"},
          std::pair{golden / "accents.qlx", golden / "accents"}}) {
        for (const std::string extra : {".txt", ".html"}) {
            SCOPED_TRACE(export_path.string() + " " + extra);
            const TemporaryFolder folder;
            ConvertOptions options;
            options.export_path = export_path.string();
            options.output_folder = folder.path();
            options.write_text = extra == ".txt";
            options.write_html = extra == ".html";
            std::ostringstream out;
            std::ostringstream err;
            ASSERT_EQ(run_convert(options, out, err), exit_ok) << err.str();
            std::vector<std::string> written;
            for (const auto& entry : fs::directory_iterator(folder.path())) {
                written.push_back(entry.path().filename().string());
            }
            std::ranges::sort(written);
            std::vector<std::string> stored;
            for (const auto& entry : fs::directory_iterator(expected)) {
                const std::string name = entry.path().filename().string();
                if (name.ends_with(".rtf") || name.ends_with(extra)) {
                    stored.push_back(name);
                }
            }
            std::ranges::sort(stored);
            ASSERT_EQ(written, stored);
            for (const std::string& name : stored) {
                EXPECT_EQ(testing::file_bytes(folder.path() / name),
                          testing::file_bytes(expected / name))
                    << name;
            }
        }
    }
}

}  // namespace
}  // namespace qlx::cli
