#include "conversion/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/convert_command.h"
#include "conversion/driver.h"

namespace qlx::conversion {
namespace {

namespace fs = std::filesystem;

// A fresh folder below the system's temporary folder, removed afterwards.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() /
                (std::string("qlx-files-test-") + info->name() + "-" +
                 std::to_string(std::hash<std::string>{}(fs::current_path().string())));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    static std::string slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void write(const fs::path& path, std::string_view text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path root_;
};

TEST_F(FilesTest, OutputFolderIsCreatedForItsOwnerOnly) {
    const fs::path folder = root_ / "a" / "out";
    ASSERT_TRUE(prepare_output_folder(folder));
    EXPECT_TRUE(fs::is_directory(folder));
#ifndef _WIN32
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
#endif
    EXPECT_TRUE(prepare_output_folder(folder));

    write(root_ / "file", "x");
    const auto not_a_folder = prepare_output_folder(root_ / "file" / "out");
    ASSERT_FALSE(not_a_folder);
    EXPECT_NE(not_a_folder.error().path.find("out"), std::string::npos);
    EXPECT_FALSE(not_a_folder.error().reason.empty());
}

TEST_F(FilesTest, FolderSinkReplacesDocumentsAndLeavesHigherNumbers) {
    write(root_ / "temp1.rtf", std::string(5000, 'o'));
    write(root_ / "temp3.rtf", "old three");
    FolderSink sink(root_);
    for (int n : {1, 2}) {
        ASSERT_TRUE(sink.begin_document(n));
        ASSERT_TRUE(sink.write("doc " + std::to_string(n)));
        ASSERT_TRUE(sink.end_document());
    }
    EXPECT_EQ(slurp(root_ / "temp1.rtf"), "doc 1");
    EXPECT_EQ(slurp(root_ / "temp2.rtf"), "doc 2");
    EXPECT_EQ(slurp(root_ / "temp3.rtf"), "old three");
}

TEST_F(FilesTest, APlantedLinkIsReplacedNotWrittenThrough) {
    const fs::path victim = root_ / "victim.txt";
    write(victim, "precious");
    std::error_code error;
    fs::create_symlink(victim, root_ / "temp1.rtf", error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    FolderSink sink(root_);
    ASSERT_TRUE(sink.begin_document(1));
    ASSERT_TRUE(sink.write("converted"));
    ASSERT_TRUE(sink.end_document());
    EXPECT_EQ(slurp(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(root_ / "temp1.rtf"));
    EXPECT_EQ(slurp(root_ / "temp1.rtf"), "converted");
}

TEST_F(FilesTest, SomethingElseInTheWayIsReportedNotWritten) {
    fs::create_directory(root_ / "temp1.rtf");
    FolderSink sink(root_);
    const auto begun = sink.begin_document(1);
    ASSERT_FALSE(begun);
    EXPECT_EQ(begun.error().path, display_path(root_ / "temp1.rtf"));
    EXPECT_FALSE(begun.error().reason.empty());
    EXPECT_TRUE(fs::is_directory(root_ / "temp1.rtf"));
}

TEST_F(FilesTest, ReadFileReportsSizeProgressAndFailures) {
    const std::string text(3 * 1024 * 1024 + 7, 'q');
    write(root_ / "big", text);
    std::vector<std::uint64_t> done;
    auto read = read_file((root_ / "big").string(), [&](Phase phase, std::uint64_t d,
                                                         std::uint64_t total) {
        EXPECT_EQ(phase, Phase::loading);
        EXPECT_EQ(total, text.size());
        done.push_back(d);
        return true;
    });
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, text);
    ASSERT_GE(done.size(), 3u);
    EXPECT_EQ(done.back(), text.size());

    const auto missing = read_file((root_ / "missing.qlx").string());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().path.find("missing.qlx"), std::string::npos);
    EXPECT_FALSE(missing.error().reason.empty());
}

TEST_F(FilesTest, ConverterWritesDocumentsAndListsThem) {
    const fs::path input = root_ / "in.qlx";
    using namespace std::string_literals;
    const std::string export_text =
        "MEDITECH.CUST.RPTS^H\r\nPROC\r\nCAF\xC9\r\n\x01" "D\x01N\r\nPROC\r\nTWO\r\n\x00\r\nX"s;
    write(input, export_text);
    const auto before = fs::last_write_time(input);
    std::ostringstream out, err;
    cli::ConvertOptions options{input.string(), root_ / "out"};
    ASSERT_EQ(cli::run_convert(options, out, err), cli::exit_ok);
    EXPECT_EQ(out.str(), display_path(root_ / "out" / "temp1.rtf") + "\tCAF\xC3\x89\n" +
                             display_path(root_ / "out" / "temp2.rtf") + "\tTWO\n");
    EXPECT_EQ(err.str(), input.string() + ":8: the last line has no line end\n");
    EXPECT_TRUE(fs::exists(root_ / "out" / "temp2.rtf"));
    EXPECT_EQ(slurp(input), export_text);
    EXPECT_EQ(fs::last_write_time(input), before);
}

TEST_F(FilesTest, ConverterRefusesWhatIsNotAnExport) {
    write(root_ / "plain.txt", "MEDITECH.CUST.RPTS");
    std::ostringstream out, err;
    EXPECT_EQ(cli::run_convert({(root_ / "plain.txt").string(), root_ / "out"}, out, err),
              cli::exit_failure);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("not an export"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "out"));

    std::ostringstream out2, err2;
    EXPECT_EQ(cli::run_convert({(root_ / "none.qlx").string(), root_ / "out"}, out2, err2),
              cli::exit_failure);
    EXPECT_NE(err2.str().find("none.qlx"), std::string::npos);
}

}  // namespace
}  // namespace qlx::conversion
