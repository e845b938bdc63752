
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "cli/convert_command.h"
#include "cli/json.h"
#include "conversion/driver.h"
#include "files/document_sinks.h"
#include "files/export_reading.h"
#include "files/names_and_reasons.h"
#include "files/output_folders.h"
#include "files/saved_file.h"
#include "support/export_builder.h"
#include "support/other_user.h"
#include "support/small_file_system.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

    // Runs qlx-convert with these arguments; returns its exit code.
    static int run(const std::vector<fs::path>& arguments, std::string& out, std::string& err) {
        std::ostringstream out_stream, err_stream;
        const int code = cli::run_command_line(cli::parse_command_line(arguments), "9.9",
                                               out_stream, err_stream);
        out = out_stream.str();
        err = err_stream.str();
        return code;
    }

    static std::string export_of(std::string_view procedure) {
        return testing::lines({"MEDITECH.CUST.RPTS^H", "PROC", procedure, testing::counted("D")});
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
    EXPECT_EQ(not_a_folder.error().reason, "Not a directory");
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
    EXPECT_EQ(begun.error().reason, "is a folder");
    EXPECT_TRUE(fs::is_directory(root_ / "temp1.rtf"));

    // Something that comes in the way while the document is written fails its end.
    ASSERT_TRUE(sink.begin_document(2));
    ASSERT_TRUE(sink.write("converted"));
    fs::create_directories(root_ / "temp2.rtf" / "inside");
    const auto ended = sink.end_document();
    ASSERT_FALSE(ended);
    EXPECT_EQ(ended.error().path, display_path(root_ / "temp2.rtf"));
    EXPECT_TRUE(fs::is_directory(root_ / "temp2.rtf" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);
}

TEST_F(FilesTest, ReadFileReportsSizeProgressAndFailures) {
    const std::string text(3 * 1024 * 1024 + 7, 'q');
    write(root_ / "big", text);
    std::vector<std::uint64_t> done;
    auto read =
        read_file((root_ / "big").string(), [&](Phase phase, std::uint64_t d, std::uint64_t total) {
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
    EXPECT_EQ(missing.error().reason, "No such file or directory");
}

TEST_F(FilesTest, ConverterWritesDocumentsAndListsThem) {
    const fs::path input = root_ / "in.qlx";
    using namespace std::string_literals;
    const std::string export_text =
        "MEDITECH.CUST.RPTS^H\r\nPROC\r\nCAF\xC9\r\n\x01"
        "D\x01N\r\nPROC\r\nTWO\r\n\x00\r\nX"s;
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

    // Re-saved as UTF-8, it makes the same documents.
    const fs::path resaved = root_ / "utf8.qlx";
    write(resaved,
          "\xEF\xBB\xBF"
          "MEDITECH.CUST.RPTS^H\r\nPROC\r\nCAF\xC3\x89\r\n\x01"
          "D\x01N\r\nPROC\r\nTWO\r\n\x00\r\nX"s);
    std::ostringstream out_utf8, err_utf8;
    ASSERT_EQ(cli::run_convert({resaved.string(), root_ / "out_utf8"}, out_utf8, err_utf8),
              cli::exit_ok);
    EXPECT_EQ(slurp(root_ / "out_utf8" / "temp1.rtf"), slurp(root_ / "out" / "temp1.rtf"));
    EXPECT_EQ(slurp(root_ / "out_utf8" / "temp2.rtf"), slurp(root_ / "out" / "temp2.rtf"));

    // An export damaged in more places than are kept: the kept ones, then how many more.
    std::string damaged = "MEDITECH.CUST.RPTS^H\r\n";
    for (std::size_t i = 0; i < DamageLog::max_kept + 3; ++i) {
        damaged += "MACRO\r\n\r\n";
    }
    write(input, damaged + "PROC\r\nP\r\n" + testing::counted("D") + "\r\n");
    std::ostringstream out2, err2;
    ASSERT_EQ(cli::run_convert({input.string(), root_ / "out2"}, out2, err2), cli::exit_ok);
    std::istringstream listed(err2.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(listed, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), DamageLog::max_kept + 1);
    EXPECT_TRUE(lines[0].starts_with(input.string() + ":2: ")) << lines[0];
    EXPECT_TRUE(lines[DamageLog::max_kept - 1].starts_with(
        input.string() + ":" + std::to_string(2 * DamageLog::max_kept) + ": "))
        << lines[DamageLog::max_kept - 1];
    EXPECT_EQ(lines.back(), input.string() + ": 3 more damaged places not listed");
}

TEST_F(FilesTest, ConverterWarnsOfEarlierDocumentsInTheFolderItWasGivenAndLeavesThem) {
    const fs::path out = root_ / "out";
    fs::create_directories(out);
    for (const char* name : {"temp1.rtf", "temp2.txt", "temp3.rtf", "temp12.rtf", "temp10.rtf",
                             "temp9.html", "temp3.txt", "notes.txt", "temp0.rtf"}) {
        write(out / name, "earlier");
    }
    write(root_ / "in.qlx", export_of("ONE") + export_of("TWO").substr(22));
    std::string listed, err;
    ASSERT_EQ(run({"--out", out, root_ / "in.qlx"}, listed, err), cli::exit_ok) << err;
    EXPECT_EQ(err, "qlx-convert: warning: " + display_path(out) +
                       " still holds documents that this conversion did not write, left as they "
                       "were: temp2.txt, temp3.rtf, temp3.txt, temp9.html, temp10.rtf, "
                       "temp12.rtf\n");
    EXPECT_EQ(listed, display_path(out / "temp1.rtf") + "\tONE\n" +
                          display_path(out / "temp2.rtf") + "\tTWO\n");
    for (const char* name : {"temp2.txt", "temp3.rtf", "temp12.rtf", "notes.txt", "temp0.rtf"}) {
        EXPECT_EQ(slurp(out / name), "earlier") << name;
    }
    // With --text and --html the pages beside the documents are this conversion's own.
    ASSERT_EQ(run({"--out", out, "--text", "--html", root_ / "in.qlx"}, listed, err), cli::exit_ok);
    EXPECT_EQ(err, "qlx-convert: warning: " + display_path(out) +
                       " still holds documents that this conversion did not write, left as they "
                       "were: temp3.rtf, temp3.txt, temp9.html, temp10.rtf, temp12.rtf\n");
    // Nothing of an earlier conversion: nothing to say; without --out, nothing to look at.
    ASSERT_EQ(run({"--out", root_ / "fresh", root_ / "in.qlx"}, listed, err), cli::exit_ok);
    EXPECT_EQ(err, "");
}

TEST_F(FilesTest, ConverterSaysWhenAnExportHoldsNoProcedures) {
#ifndef _WIN32
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
#endif
    write(root_ / "bare.qlx", "MEDITECH.CUST.RPTS^NPR^H\r\n");
    write(root_ / "damaged.qlx", testing::lines({"MEDITECH.CUST.RPTS^NPR", "RPT", "X"}));
    std::string out, err;
    EXPECT_EQ(run({"--out", root_ / "out", root_ / "bare.qlx"}, out, err), cli::exit_failure);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "qlx-convert: " + display_path(root_ / "bare.qlx") +
                       ": holds no procedures, so no document was written\n");
    EXPECT_TRUE(fs::is_empty(root_ / "out"));
    EXPECT_EQ(run({"--json", root_ / "damaged.qlx"}, out, err), cli::exit_failure);
    EXPECT_EQ(out, "");
    const std::string name = display_path(root_ / "damaged.qlx");
    EXPECT_EQ(err, name + ":3: a counted string runs past the end of its line\n" + name +
                       ":2: this line belongs to no procedure; nothing written\n"
                       "qlx-convert: " +
                       name + ": holds no procedures, so no document was written\n");
#ifndef _WIN32
    // The folder made for the conversion is not left behind empty.
    EXPECT_TRUE(fs::is_empty(root_ / "cache" / "qlx-viewer"));
#endif
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

TEST_F(FilesTest, ConversionsWithoutOutEachWriteIntoAFolderOfTheirOwn) {
    // Two converters at the same moment, each on its own export, into the viewer's folder.
#ifdef _WIN32
    const fs::path viewer_folder = default_output_folder().value();  // c:\temp
#else
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    const fs::path viewer_folder = root_ / "cache" / "qlx-viewer";
#endif
    write(root_ / "a.qlx", export_of("ALPHA"));
    write(root_ / "b.qlx", export_of("BETA"));
    std::string out_a, out_b, err;
    std::thread other([&] {
        std::string other_err;
        run({root_ / "b.qlx"}, out_b, other_err);
    });
    EXPECT_EQ(run({root_ / "a.qlx"}, out_a, err), cli::exit_ok) << err;
    other.join();
    for (const auto& [out, name] : {std::pair{out_a, "ALPHA"}, {out_b, "BETA"}}) {
        ASSERT_TRUE(out.ends_with(std::string("\t") + name + "\n")) << out;
        const fs::path document = out.substr(0, out.find('\t'));
        EXPECT_NE(slurp(document).find(std::string("Procedure") + name), std::string::npos);
        EXPECT_EQ(document.parent_path().parent_path(), viewer_folder);
#ifndef _WIN32
        EXPECT_EQ(fs::status(document.parent_path()).permissions() & fs::perms::all,
                  fs::perms::owner_all);
#endif
    }
    EXPECT_NE(out_a.substr(0, out_a.find('\t')), out_b.substr(0, out_b.find('\t')));
}

TEST_F(FilesTest, OldConversionFoldersAreRemovedAndNothingElse) {
#ifdef _WIN32
    GTEST_SKIP() << "MinGW's std::filesystem cannot set a folder's time to make it old";
#endif
    const fs::path viewer = root_ / "viewer";
    const auto days_ago = [](int days) {
        return fs::file_time_type::clock::now() - std::chrono::hours(24 * days);
    };
    for (const auto& [name, age] : {std::pair{"20200101-000000-abc123", 30},
                                    {"20200101-000000-abc124", 8},
                                    {"20200101-000000-abc125", 6},
                                    {"20200101-000000-keep.x", 30},
                                    {"20200101-000000-abc123-mine", 30},
                                    {"mine", 30}}) {
        fs::create_directories(viewer / name);
        write(viewer / name / "temp1.rtf", "old");
        fs::last_write_time(viewer / name, days_ago(age));
    }
    const auto made = make_conversion_folder(viewer);
    ASSERT_TRUE(made);
    EXPECT_TRUE(fs::is_directory(*made));
    EXPECT_FALSE(fs::exists(viewer / "20200101-000000-abc123"));
    EXPECT_FALSE(fs::exists(viewer / "20200101-000000-abc124"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-abc125" / "temp1.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-keep.x" / "temp1.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-abc123-mine" / "temp1.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "mine" / "temp1.rtf"));
    const auto second = make_conversion_folder(viewer);
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *made);
    EXPECT_TRUE(fs::is_directory(*made));
}

TEST_F(FilesTest, AnOldConversionFolderWithAFileOfTheUsersStays) {
#ifdef _WIN32
    GTEST_SKIP() << "MinGW's std::filesystem cannot set a folder's time to make it old";
#endif
    const fs::path viewer = root_ / "viewer";
    const std::vector<std::pair<std::string, std::vector<std::string>>> folders = {
        {"20200101-000000-aaaaa1",
         {"temp1.rtf", "temp1.txt", "temp1.html", "temp12.rtf", ".temp2.rtf-k3x9qa.part"}},
        {"20200101-000000-aaaaa2", {"temp1.rtf", "notes.txt"}},
        {"20200101-000000-aaaaa3", {"temp1.rtf", "temp01.rtf"}},
        {"20200101-000000-aaaaa4", {"temp1.rtf", "temp2.rtf.bak"}},
        {"20200101-000000-aaaaa5", {"temp1.rtf", "mine/temp1.rtf"}},
        {"20200101-000000-aaaaa6", {}},
    };
    for (const auto& [name, files] : folders) {
        fs::create_directories(viewer / name);
        for (const std::string& file : files) {
            fs::create_directories((viewer / name / file).parent_path());
            write(viewer / name / file, "x");
        }
    }
    // A link the user put there, named like a document.
    std::error_code error;
    fs::create_directories(viewer / "20200101-000000-aaaaa7");
    fs::create_symlink(root_ / "elsewhere.rtf", viewer / "20200101-000000-aaaaa7" / "temp1.rtf",
                       error);
    write(root_ / "elsewhere.rtf", "the user's");
    for (const auto& entry : fs::directory_iterator(viewer)) {
        fs::last_write_time(entry.path(),
                            fs::file_time_type::clock::now() - std::chrono::hours(24 * 8));
    }
    remove_old_conversion_folders(viewer,
                                  fs::file_time_type::clock::now() - conversion_folder_lifetime);
    EXPECT_FALSE(fs::exists(viewer / "20200101-000000-aaaaa1"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa2" / "temp1.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa2" / "notes.txt"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa3" / "temp01.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa4" / "temp2.rtf.bak"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa5" / "mine" / "temp1.rtf"));
    EXPECT_TRUE(fs::exists(viewer / "20200101-000000-aaaaa5" / "temp1.rtf"));
    EXPECT_FALSE(fs::exists(viewer / "20200101-000000-aaaaa6"));
    if (!error) {
        EXPECT_TRUE(fs::is_symlink(viewer / "20200101-000000-aaaaa7" / "temp1.rtf"));
    }
    EXPECT_EQ(slurp(root_ / "elsewhere.rtf"), "the user's");

    EXPECT_TRUE(is_document_name("temp1.rtf"));
    EXPECT_TRUE(is_document_name("temp20.html"));
    EXPECT_FALSE(is_document_name("temp0.rtf"));
    EXPECT_FALSE(is_document_name("temp.rtf"));
    EXPECT_FALSE(is_document_name("Temp1.rtf"));
    EXPECT_FALSE(is_document_name("temp1.RTF"));
    EXPECT_FALSE(is_document_name("temp1.rtf.txt"));
}

TEST_F(FilesTest, AFileIsReplacedWholeOrNotAtAll) {
#ifdef _WIN32
    GTEST_SKIP() << "no small file system to fill here";
#else
    // Saving over a file keeps who may read it.
    write(root_ / "private.rtf", "old");
    fs::permissions(root_ / "private.rtf",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(write_whole_file(root_ / "private.rtf", "new", {AtLink::follow, false}));
    EXPECT_EQ(slurp(root_ / "private.rtf"), "new");
    EXPECT_EQ(fs::status(root_ / "private.rtf").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    testing::SmallFileSystem small(root_ / "small");
    const std::string old_text(3400, 'o');
    small.put("doc.rtf", old_text);
    small.leave_free(8 * 1024);
    const auto saved = write_whole_file(root_ / "small" / "doc.rtf", std::string(12 * 1024, 'n'),
                                        {AtLink::follow, true});
    small.end_limit();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().path, display_path(root_ / "small" / "doc.rtf"));
    EXPECT_EQ(saved.error().reason, small.full_reason());
    EXPECT_EQ(slurp(root_ / "small" / "doc.rtf"), old_text);
    for (const auto& entry : fs::directory_iterator(root_ / "small")) {
        EXPECT_TRUE(entry.path().filename() == "doc.rtf" || entry.path().filename() == "filler")
            << entry.path();
    }
#endif
}

TEST_F(FilesTest, ASaveNeverReplacesAReadOnlyFile) {
    write(root_ / "notes.txt", "old");
    fs::permissions(root_ / "notes.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(is_read_only(root_ / "notes.txt"));
    const auto refused = save_file(root_ / "notes.txt", "new");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().problem, SaveProblem::read_only);
    EXPECT_EQ(refused.error().file.path, display_path(root_ / "notes.txt"));
    EXPECT_EQ(refused.error().file.reason, "the file is read-only");
    EXPECT_EQ(slurp(root_ / "notes.txt"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1);

    // Through a link, the file it leads to is what counts.
    std::error_code error;
    fs::create_symlink(root_ / "notes.txt", root_ / "link.txt", error);
    if (!error) {
        EXPECT_EQ(save_file(root_ / "link.txt", "new").error().problem, SaveProblem::read_only);
        EXPECT_EQ(slurp(root_ / "notes.txt"), "old");
    }
    // Writable again, it is replaced; a missing file is not read-only.
    fs::permissions(root_ / "notes.txt", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_FALSE(is_read_only(root_ / "notes.txt"));
    ASSERT_TRUE(save_file(root_ / "notes.txt", "new"));
    EXPECT_EQ(slurp(root_ / "notes.txt"), "new");
    EXPECT_FALSE(is_read_only(root_ / "missing.txt"));
}

#ifndef _WIN32
TEST_F(FilesTest, ASaveKeepsTheOwnerAndGroupAndRefusesAnotherOwnersFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the administrator can give a file to someone else";
    }
    // Replaced by the administrator, the file stays its owner's.
    using testing::AsOtherUser;
    write(root_ / "theirs.txt", "old");
    ASSERT_EQ(::chown((root_ / "theirs.txt").c_str(), AsOtherUser::user, AsOtherUser::group), 0);
    fs::permissions(root_ / "theirs.txt",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    struct stat before {};
    ::stat((root_ / "theirs.txt").c_str(), &before);
    ASSERT_TRUE(save_file(root_ / "theirs.txt", "new"));
    struct stat after {};
    ::stat((root_ / "theirs.txt").c_str(), &after);
    EXPECT_EQ(slurp(root_ / "theirs.txt"), "new");
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not written into
    EXPECT_EQ(after.st_uid, AsOtherUser::user);
    EXPECT_EQ(after.st_gid, AsOtherUser::group);
    EXPECT_EQ(after.st_mode & 07777, 0640u);

    // Someone else's file that its owner alone may write is read-only for the user.
    write(root_ / "mine.txt", "root's");
    fs::permissions(root_ / "mine.txt", fs::perms::owner_read | fs::perms::owner_write |
                                            fs::perms::group_read | fs::perms::others_read);
    AsOtherUser other;
    ASSERT_TRUE(other.active());
    EXPECT_TRUE(is_read_only(root_ / "mine.txt"));
    EXPECT_EQ(save_file(root_ / "mine.txt", "other's").error().problem, SaveProblem::read_only);
    EXPECT_EQ(slurp(root_ / "mine.txt"), "root's");
}

TEST_F(FilesTest, AWritableFileInAFolderClosedToTheUserIsSavedInPlace) {
    using testing::AsOtherUser;
    const fs::path closed = root_ / "closed";
    fs::create_directories(closed);
    write(closed / "doc.txt", "old text");
    write(closed / "big.txt", std::string(3400, 'o'));
    if (::geteuid() == 0) {
        for (const char* name : {"doc.txt", "big.txt"}) {
            ASSERT_EQ(::chown((closed / name).c_str(), AsOtherUser::user, AsOtherUser::group), 0);
        }
    }
    fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    struct stat before {};
    ::stat((closed / "doc.txt").c_str(), &before);
    {
        AsOtherUser other;
        EXPECT_FALSE(is_read_only(closed / "doc.txt"));
        ASSERT_TRUE(save_file(closed / "doc.txt", "new"));
        EXPECT_EQ(slurp(closed / "doc.txt"), "new");

        // Cut short there, the file may be incomplete, and says so.
        testing::SmallFileSystem small(closed, false);
        small.leave_free(8 * 1024);
        const auto cut = save_file(closed / "big.txt", std::string(12 * 1024, 'n'));
        small.end_limit();
        ASSERT_FALSE(cut);
        EXPECT_EQ(cut.error().problem, SaveProblem::left_incomplete);
        EXPECT_EQ(cut.error().file.path, display_path(closed / "big.txt"));
        EXPECT_EQ(cut.error().file.reason, small.full_reason());

        // A file that is not there cannot be made there.
        const auto refused = save_file(closed / "new.txt", "new");
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().problem, SaveProblem::not_written);
        EXPECT_EQ(refused.error().file.reason, "Permission denied");
    }
    struct stat after {};
    ::stat((closed / "doc.txt").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fs::file_size(closed / "big.txt"), 8u * 1024);
    EXPECT_FALSE(fs::exists(closed / "new.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(closed), fs::directory_iterator()), 2);
    fs::permissions(closed, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(FilesTest, AFileInAStickyFolderThatOnlyItsOwnerMayReplaceIsSavedInPlace) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the administrator can have someone else's file here";
    }
    // A folder open to all, as /tmp is: only a file's owner may replace the file, but anyone
    // may write this one.
    const fs::path shared = root_ / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    write(shared / "open.txt", "old");
    fs::permissions(shared / "open.txt", fs::perms::owner_read | fs::perms::owner_write |
                                             fs::perms::group_read | fs::perms::group_write |
                                             fs::perms::others_read | fs::perms::others_write);
    struct stat before {};
    ::stat((shared / "open.txt").c_str(), &before);
    {
        testing::AsOtherUser other;
        ASSERT_TRUE(other.active());
        ASSERT_TRUE(save_file(shared / "open.txt", "new"));
    }
    struct stat after {};
    ::stat((shared / "open.txt").c_str(), &after);
    EXPECT_EQ(slurp(shared / "open.txt"), "new");
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1);
}
#endif

TEST_F(FilesTest, DefaultFolderFollowsTheCacheFolderRules) {
#ifdef _WIN32
    EXPECT_EQ(default_output_folder().value(), fs::path("c:\\temp"));
#else
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/writer", 1);
    ::setenv("XDG_CACHE_HOME", "/var/cache/writer", 1);
    EXPECT_EQ(default_output_folder().value(), fs::path("/var/cache/writer/qlx-viewer"));
    ::setenv("XDG_CACHE_HOME", "cache", 1);  // a relative one is to be ignored
    EXPECT_EQ(default_output_folder().value(), fs::path("/home/writer/.cache/qlx-viewer"));
    ::setenv("XDG_CACHE_HOME", "", 1);
    EXPECT_EQ(default_output_folder().value(), fs::path("/home/writer/.cache/qlx-viewer"));
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(default_output_folder().value(), fs::path("/home/writer/.cache/qlx-viewer"));
    ::setenv("HOME", "", 1);
    EXPECT_EQ(default_output_folder().error().reason, "neither HOME nor XDG_CACHE_HOME is set");
    ::unsetenv("HOME");
    EXPECT_EQ(default_output_folder().error().reason, "neither HOME nor XDG_CACHE_HOME is set");
    ::setenv("HOME", home.c_str(), 1);
#endif
}

TEST_F(FilesTest, ADocumentCutShortByAFullDiskIsNotLeftBehind) {
#ifdef _WIN32
    GTEST_SKIP() << "no small file system to fill here";
#else
    write(root_ / "in.qlx", export_of("SMALL") + export_of(std::string(9000, 'B')).substr(22));
    testing::SmallFileSystem small(root_ / "small");
    small.put("temp2.rtf", "the old second document");
    small.leave_free(6 * 1024);
    std::string out, err;
    const int code = run({"--out", root_ / "small", root_ / "in.qlx"}, out, err);
    small.end_limit();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find(display_path(root_ / "small" / "temp2.rtf") + ": " + small.full_reason()),
              std::string::npos)
        << err;
    EXPECT_TRUE(slurp(root_ / "small" / "temp1.rtf").ends_with("\\par }\r\n"));
    EXPECT_EQ(slurp(root_ / "small" / "temp2.rtf"), "the old second document");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_ / "small")) {
        names.push_back(entry.path().filename().string());
    }
    std::ranges::sort(names);
    std::vector<std::string> expected = {"temp1.rtf", "temp2.rtf"};
    if (small.mounted()) {
        expected.insert(expected.begin(), "filler");
    }
    EXPECT_EQ(names, expected);
#endif
}

TEST_F(FilesTest, DocumentsNeverWriteIntoOtherNamesOfAFileNorIntoTheExport) {
    fs::create_directories(root_ / "out");
    write(root_ / "victim.txt", "precious");
    std::error_code error;
    std::error_code second_error;
    fs::create_hard_link(root_ / "victim.txt", root_ / "out" / "temp2.rtf", error);
    write(root_ / "in.qlx", export_of("ONE") + export_of("TWO").substr(22));
    fs::create_hard_link(root_ / "in.qlx", root_ / "out" / "temp1.rtf", second_error);
    if (error || second_error) {
        GTEST_SKIP() << "no hard links here: " << (error ? error : second_error).message();
    }
    const std::string export_text = slurp(root_ / "in.qlx");
    std::string out, err;
    ASSERT_EQ(run({"--out", root_ / "out", root_ / "out" / "temp1.rtf"}, out, err), cli::exit_ok)
        << err;
    EXPECT_EQ(slurp(root_ / "victim.txt"), "precious");
    EXPECT_EQ(slurp(root_ / "in.qlx"), export_text);
    EXPECT_NE(slurp(root_ / "out" / "temp1.rtf").find("ProcedureONE"), std::string::npos);
    EXPECT_NE(slurp(root_ / "out" / "temp2.rtf").find("ProcedureTWO"), std::string::npos);
}

TEST_F(FilesTest, OnlyRegularFilesAreReadUnlessPipesAreAllowed) {
#ifdef _WIN32
    GTEST_SKIP() << "no pipes by name here";
#else
    ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
    const auto refused = read_file(root_ / "fifo");  // would wait for a writer if opened
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().reason, "is a pipe, not a regular file");
    const auto device = read_file("/dev/zero", {}, {.pipes_too = true});
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error().reason, "is a device, not a regular file");

    std::thread writer([&] { std::ofstream(root_ / "fifo", std::ios::binary) << "MEDITECH"; });
    const auto piped = read_file(root_ / "fifo", {}, {.pipes_too = true});
    writer.join();
    ASSERT_TRUE(piped);
    EXPECT_EQ(*piped, "MEDITECH");
#endif
    write(root_ / "big", std::string(5000, 'b'));
    ReadRules small;
    small.max_size = 4096;
    const auto too_big = read_file(root_ / "big", {}, small);
    ASSERT_FALSE(too_big);
    EXPECT_EQ(too_big.error().reason,
              "it is larger than 4096 bytes, far more than any export holds; it was not read");
    small.max_size = 3u << 20;
    EXPECT_EQ(read_file(root_ / "big", {}, small).value().size(), 5000u);

    ReadRules exports_only;
    exports_only.start_size = 4;
    exports_only.check_start = [](std::string_view start) {
        return start == "MEDI" ? std::string() : "not an export";
    };
    EXPECT_EQ(read_file(root_ / "big", {}, exports_only).error().reason, "not an export");
    write(root_ / "short", "ME");
    EXPECT_EQ(read_file(root_ / "short", {}, exports_only).error().reason, "not an export");
}

TEST_F(FilesTest, AFileInPiecesArrivesWholeUnderTheRulesOfReadFile) {
    // Several pieces' worth, with every byte value.
    std::string bytes = "MEDI";
    for (std::size_t i = 0; bytes.size() < (5u << 20) + 7; ++i) {
        bytes += static_cast<char>(i * 7 % 251);
    }
    write(root_ / "big", bytes);
    ReadRules exports_only;
    exports_only.start_size = 4;
    exports_only.check_start = [](std::string_view start) {
        return start.starts_with("MEDI") ? std::string() : "not an export";
    };
    auto reading = FileInPieces::open(root_ / "big", exports_only);
    ASSERT_TRUE(reading);
    EXPECT_EQ((*reading)->expected_size(), bytes.size());
    EXPECT_EQ((*reading)->start(), "MEDI");
    std::string arrived;
    std::string piece(300 * 1024, '\0');
    for (std::size_t got; (got = (*reading)->read(piece.data(), piece.size())) > 0;) {
        arrived.append(piece, 0, got);
    }
    EXPECT_TRUE(arrived == bytes);
    EXPECT_TRUE((*reading)->finish());
    EXPECT_EQ(FileInPieces::open(root_ / "big", exports_only).value()->take_whole().value(), bytes);

    // Refused as read_file refuses, before anything is converted.
    write(root_ / "other", "MEDLEY");
    EXPECT_EQ(FileInPieces::open(root_ / "other", exports_only).error().reason, "not an export");
    write(root_ / "short", "ME");
    EXPECT_EQ(FileInPieces::open(root_ / "short", exports_only).error().reason, "not an export");
    ReadRules small;
    small.max_size = 4096;
    EXPECT_EQ(FileInPieces::open(root_ / "big", small).error().reason,
              "it is larger than 4096 bytes, far more than any export holds; it was not read");
    EXPECT_FALSE(FileInPieces::open(root_ / "missing"));
    write(root_ / "empty", "");
    auto empty = FileInPieces::open(root_ / "empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ((*empty)->read(piece.data(), piece.size()), 0u);
    EXPECT_EQ(FileInPieces::open(root_ / "empty").value()->take_whole().value(), "");
}

TEST_F(FilesTest, ConverterTakesFileNamesByteForByteAndShowsThemReadably) {
#ifdef _WIN32
    GTEST_SKIP() << "names are wide strings here";
#else
    const fs::path latin1_export = root_ / "caf\xE9.qlx";
    const fs::path latin1_folder = root_ / "d\xE9j\xE0";
    write(latin1_export, export_of("P"));
    std::string out, err;
    ASSERT_EQ(run({"--out=" + latin1_folder.native(), latin1_export}, out, err), cli::exit_ok)
        << err;
    EXPECT_EQ(out, (latin1_folder / "temp1.rtf").native() + "\tP\n");
    EXPECT_TRUE(fs::exists(latin1_folder / "temp1.rtf"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2);

    ASSERT_EQ(run({"--json", "--out", latin1_folder, latin1_export}, out, err), cli::exit_ok);
    EXPECT_NE(out.find("\"path\":\"" + display_path(root_) + "/d\\udce9j\\udce0/temp1.rtf\""),
              std::string::npos)
        << out;

    EXPECT_EQ(run({root_ / "gon\xE9.qlx"}, out, err), cli::exit_failure);
    EXPECT_NE(err.find("gon\xEF\xBF\xBD.qlx: No such file or directory"), std::string::npos) << err;
#endif
}

TEST_F(FilesTest, EachDocumentIsOneLineOfTheListOrOneJsonObject) {
    using testing::counted;
    write(root_ / "in.qlx", testing::lines({"MEDITECH.CUST.RPTS^H", "PROC", "A\tB\nC\x81\"\x01",
                                            counted("D"), "PROC", "Z", counted("D"), "RPT",
                                            "\x09"
                                            "ADM"}));
    std::string out, err;
    ASSERT_EQ(run({"--out", root_ / "out", root_ / "in.qlx"}, out, err), cli::exit_ok);
    const std::string first = display_path(root_ / "out" / "temp1.rtf");
    const std::string second = display_path(root_ / "out" / "temp2.rtf");
    EXPECT_EQ(out, first + "\tA B C \" \n" + second + "\tZ\n");
    // In JSON a backslash (a Windows path's separator) is doubled.
    const auto json = [](std::string path) {
        for (std::size_t at = 0; (at = path.find('\\', at)) != std::string::npos; at += 2) {
            path.insert(at, 1, '\\');
        }
        return path;
    };
    ASSERT_EQ(run({"--json", "--out", root_ / "out", root_ / "in.qlx"}, out, err), cli::exit_ok);
    EXPECT_EQ(out,
              "{\"path\":\"" + json(first) +
                  "\",\"caption\":\"A\\u0009B\\u000aC\xC2\x81\\\"\\u0001\","
                  "\"procedure\":1,\"outline\":[]}\n"
                  "{\"path\":\"" +
                  json(second) +
                  "\",\"caption\":\"Z\",\"procedure\":2,"
                  "\"outline\":[{\"heading\":\"Report\",\"level\":1,\"paragraph\":9}]}\n"
                  "{\"damage\":[{\"line\":9,\"reason\":\"a counted string runs past the end of "
                  "its line\"}],\"damage_count\":1}\n");
}

TEST(Json, StringsEscapeExactlyWhatJsonRequires) {
    // Control characters up to U+001F and DEL as \u escapes, quote and backslash doubled;
    // the space, the tilde, C1 controls and every other character as UTF-8.
    EXPECT_EQ(cli::json_string(std::string("\0\x1f \x7e\x7f", 5)), "\"\\u0000\\u001f ~\\u007f\"");
    EXPECT_EQ(cli::json_string("\"\\/"), "\"\\\"\\\\/\"");
    EXPECT_EQ(cli::json_string("\xC2\x80\xC3\xA9\xF0\x9F\x98\x80"),
              "\"\xC2\x80\xC3\xA9\xF0\x9F\x98\x80\"");
    // A byte that is not UTF-8 becomes U+FFFD: the line stays valid JSON.
    EXPECT_EQ(cli::json_string("a\xFF"
                               "b"),
              "\"a\xEF\xBF\xBD"
              "b\"");
#ifndef _WIN32
    // A name's byte that is not UTF-8 comes back as the surrogate that stands for it.
    EXPECT_EQ(cli::json_path(fs::path("caf\xE9/\"x\"")), "\"caf\\udce9/\\\"x\\\"\"");
#endif
}

TEST_F(FilesTest, ConverterCommandLine) {
    std::string out, err;
    EXPECT_EQ(run({"--help"}, out, err), cli::exit_ok);
    EXPECT_TRUE(out.starts_with("Usage: qlx-convert [options] EXPORT\n")) << out;
    EXPECT_EQ(run({"--version"}, out, err), cli::exit_ok);
    EXPECT_EQ(out, "qlx-convert 9.9\n");
    EXPECT_EQ(run({"--bogus", "x"}, out, err), 2);
    EXPECT_EQ(err, "qlx-convert: Unknown option '--bogus'.\nTry 'qlx-convert --help'.\n");
    EXPECT_EQ(run({"a", "b"}, out, err), 2);
    EXPECT_EQ(err, "qlx-convert: give exactly one export file\nTry 'qlx-convert --help'.\n");
    EXPECT_EQ(run({"--out"}, out, err), 2);
    EXPECT_EQ(err, "qlx-convert: Missing value after '--out'.\nTry 'qlx-convert --help'.\n");
    EXPECT_EQ(run({"--text", "--html", "x.rtf"}, out, err), cli::exit_usage);

    const cli::CommandLine dashed = cli::parse_command_line({"--out=o", "--", "--help"});
    EXPECT_EQ(dashed.action, cli::CommandLine::Action::convert);
    EXPECT_EQ(dashed.options.export_path, "--help");
    EXPECT_EQ(dashed.options.output_folder, fs::path("o"));
    EXPECT_EQ(cli::parse_command_line({"-"}).options.export_path, "-");
    EXPECT_EQ(cli::parse_command_line({"--text", "a.RTF"}).action,
              cli::CommandLine::Action::rtf_output);
    EXPECT_EQ(cli::parse_command_line({"--rtf", "a.rtf"}).rich_text_output,
              cli::RichTextOutput::rtf);
    EXPECT_EQ(run({"--rtf", "x.qlx"}, out, err), cli::exit_usage);
    EXPECT_EQ(run({"--rtf", "--html", "x.rtf"}, out, err), cli::exit_usage);

    // Each combination an option refuses, with its reason; nothing is read or written.
    const std::vector<std::pair<std::vector<fs::path>, std::string>> refused = {
        {{"--diff", "a", "b", "--text"}, "--diff takes only --json, --html and -U"},
        {{"--diff", "a", "b", "--rtf"}, "--diff takes only --json, --html and -U"},
        {{"--diff", "a", "b", "--out=o"}, "--diff takes only --json, --html and -U"},
        {{"--diff", "a", "b", "--site=o"}, "--diff takes only --json, --html and -U"},
        {{"--diff", "--json", "--html", "a", "b"}, "give one of --json and --html with --diff"},
        {{"--site"}, "Missing value after '--site'."},
        {{"--site", "o"}, "--site publishes one export: give EXPORT"},
        {{"--site=o", "a", "b"}, "--site publishes one export: give EXPORT"},
        {{"--site", "o", "--html", "a"}, "--site takes no other option"},
        {{"--site", "o", "--out", "p", "a"}, "--site takes no other option"},
        {{"--diff", "a"}, "--diff compares two exports: give OLD and NEW"},
        {{"--diff", "a", "b", "c"}, "--diff compares two exports: give OLD and NEW"},
        {{"-U", "3", "a", "b"}, "-U goes with --diff"},
        {{"--diff", "a", "b", "-U"}, "Missing value after '-U'."},
        {{"--diff", "-U", "", "a", "b"}, "-U wants a number of lines, not ''"},
        {{"--diff", "-U-1", "a", "b"}, "-U wants a number of lines, not '-1'"},
        {{"--diff", "-U1234567", "a", "b"}, "-U wants a number of lines, not '1234567'"},
        {{"--text", "--rtf", "x.rtf"}, "give one of --text, --html and --rtf for an RTF file"},
        {{"--text", "--html", "--rtf", "x.rtf"},
         "give one of --text, --html and --rtf for an RTF file"},
        {{"--rtf", "-"}, "--rtf takes an RTF file (a name ending in .rtf)"},
        {{}, "give exactly one export file"},
    };
    for (const auto& [arguments, reason] : refused) {
        EXPECT_EQ(run(arguments, out, err), cli::exit_usage) << reason;
        EXPECT_EQ(err, "qlx-convert: " + reason + "\nTry 'qlx-convert --help'.\n");
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(cli::parse_command_line({"--diff", "-U123456", "a", "b"}).diff.context, 123456u);
    EXPECT_EQ(cli::parse_command_line({"--diff", "-U", "0", "a", "b"}).diff.context, 0u);
    const cli::CommandLine site = cli::parse_command_line({"--site=s", "--", "-x"});
    EXPECT_EQ(site.action, cli::CommandLine::Action::site);
    EXPECT_EQ(site.site.folder, fs::path("s"));
    EXPECT_EQ(site.site.export_path, fs::path("-x"));
    EXPECT_TRUE(cli::parse_command_line({"--diff", "--html", "a", "b"}).diff.html);
}

TEST_F(FilesTest, ConverterPublishesASiteAndAComparisonPage) {
    const fs::path old_export = root_ / "old.qlx";
    const fs::path new_export = root_ / "new.qlx";
    write(old_export, export_of("A<1>"));
    write(new_export, export_of("B&2"));
    std::string out, err;
    ASSERT_EQ(run({"--site", root_ / "site", old_export}, out, err), cli::exit_ok) << err;
    EXPECT_EQ(out, (root_ / "site" / "index.html").string() + "\n");
    EXPECT_EQ(err, "");
    const std::string index = slurp(root_ / "site" / "index.html");
    EXPECT_NE(index.find("<title>old.qlx</title>"), std::string::npos);
    EXPECT_NE(index.find("<a href=\"0001-A-1.html\">A&lt;1&gt;</a>"), std::string::npos);
    // Published again over its own site; refused over a folder of something else.
    EXPECT_EQ(run({"--site", root_ / "site", new_export}, out, err), cli::exit_ok) << err;
    EXPECT_TRUE(fs::exists(root_ / "site" / "0001-B-2.html"));
    EXPECT_FALSE(fs::exists(root_ / "site" / "0001-A-1.html"));
    EXPECT_EQ(run({"--site", root_, new_export}, out, err), cli::exit_failure);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "qlx-convert: " + root_.string() +
                       ": is a folder with other things in it, not a site published here: give "
                       "a new or empty folder\n");

    EXPECT_EQ(run({"--diff", "--html", old_export, new_export}, out, err), 1) << err;
    EXPECT_TRUE(out.starts_with("<!DOCTYPE html>\n")) << out;
    EXPECT_NE(out.find("<h2>Added: B&amp;2</h2>"), std::string::npos) << out;
    EXPECT_NE(out.find("<h2>Removed: A&lt;1&gt;</h2>"), std::string::npos);
    EXPECT_EQ(run({"--diff", "--html", old_export, old_export}, out, err), 0) << err;
    EXPECT_NE(out.find("<p>0 procedures differ, 1 unchanged.</p>"), std::string::npos);
}

}  // namespace
}  // namespace qlx::conversion
