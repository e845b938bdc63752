#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "comparison/export_comparison.h"
#include "publishing/comparison_report.h"
#include "publishing/publish_site.h"
#include "publishing/search_index.h"
#include "publishing/site_folder.h"
#include "publishing/site_pages.h"

namespace qlx::publishing {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string sample_export() {
    return slurp(fs::path(QLX_EXAMPLES_DIR) / "sample.qlx");
}

// The sample with `from` replaced by `to` once; the test fails when `from` is not there.
std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::size_t occurrences(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A fresh folder below the system's temporary folder, removed afterwards.
class PublishingTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / (std::string("qlx-publishing-test-") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
};

TEST(SiteNames, PageNamesAreSafeInFilesAndUrlsAndEachItsOwn) {
    EXPECT_EQ(page_stem(1, "LAB.C.DAILY.CENSUS"), "0001-LAB-C-DAILY-CENSUS");
    EXPECT_EQ(page_stem(12, "a/b\\c:d*e?f\"g<h>i|j k%l#m"), "0012-a-b-c-d-e-f-g-h-i-j-k-l-m");
    EXPECT_EQ(page_stem(3, ""), "0003");
    EXPECT_EQ(page_stem(4, "..."), "0004");
    EXPECT_EQ(page_stem(5, "Caf\xC3\xA9 au lait."), "0005-Caf-au-lait");
    EXPECT_EQ(page_stem(12345, "CON"), "12345-CON");  // never a device name of Windows alone
    EXPECT_EQ(page_stem(6, std::string(200, 'X')), "0006-" + std::string(48, 'X'));
    EXPECT_NE(page_stem(7, "A.B"), page_stem(8, "A.B"));
}

TEST(SiteNames, ScriptStringsCannotEndTheirStringLineOrScript) {
    std::string out;
    append_script_string(out, "a\"b\\c\nd</script><!--\x01\xE2\x80\xA8\xC3\xA9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\nd\\x3c/script>\\x3c!--\\x01\\u2028\xC3\xA9\"");
}

TEST_F(PublishingTest, EveryTextOfTheExportIsEscaped) {
    std::string bytes = replaced(sample_export(), "\r\nLAB.C.EMPTY\r\n",
                                 "\r\nLAB.C.<script>alert(1)</script>&EMPTY\r\n");
    bytes = replaced(bytes, "Daily census of the laboratory",
                     "Daily <script>alert(2)</script> census \"of\" the laboratory");
    auto site = publish_site(bytes, root_ / "site", "<b>sample</b>.qlx");
    ASSERT_TRUE(site) << site.error().file.reason;
    EXPECT_EQ(site->procedures, 4u);
    EXPECT_EQ(site->index, root_ / "site" / "index.html");
    for (const auto& entry : fs::directory_iterator(root_ / "site")) {
        const std::string text = slurp(entry.path());
        if (entry.path().extension() == ".html") {
            // Only the page's own script element, and no tag of the export's.
            EXPECT_EQ(occurrences(text, "<script"), 1u) << entry.path();
            EXPECT_EQ(occurrences(text, "<b>sample"), 0u) << entry.path();
        }
        EXPECT_EQ(occurrences(text, "alert(1)</script>"), 0u) << entry.path();
    }
    const std::string index = slurp(root_ / "site" / "index.html");
    EXPECT_NE(index.find("<title>&lt;b&gt;sample&lt;/b&gt;.qlx</title>"), std::string::npos);
    EXPECT_NE(index.find("<a href=\"0002-LAB-C-script-alert-1-script-EMPTY.html\">"
                         "LAB.C.&lt;script&gt;alert(1)&lt;/script&gt;&amp;EMPTY</a>"),
              std::string::npos);
    const std::string page = slurp(root_ / "site" / "0001-LAB-C-DAILY-CENSUS.html");
    EXPECT_NE(page.find("Daily &lt;script&gt;alert(2)&lt;/script&gt; census &quot;of&quot;"),
              std::string::npos);
    EXPECT_NE(slurp(root_ / "site" / "search-index.js")
                  .find("Daily \\x3cscript>alert(2)\\x3c/script> census \\\"of\\\""),
              std::string::npos);
}

TEST_F(PublishingTest, PagesLinkInExportOrderAndTheOutlineLeadsToItsLines) {
    ASSERT_TRUE(publish_site(sample_export(), root_ / "site", "sample.qlx"));
    EXPECT_EQ(names_in(root_ / "site"),
              (std::set<std::string>{
                  ".qlx-viewer-site", "0001-LAB-C-DAILY-CENSUS.css", "0001-LAB-C-DAILY-CENSUS.html",
                  "0002-LAB-C-EMPTY.css", "0002-LAB-C-EMPTY.html", "0003-LAB-C-TURNAROUND-TAT.css",
                  "0003-LAB-C-TURNAROUND-TAT.html", "0004-LAB-C-SPECIMEN-LIST.css",
                  "0004-LAB-C-SPECIMEN-LIST.html", "index.html", "search-index.js", "site.css",
                  "site.js"}));
    const std::string first = slurp(root_ / "site" / "0001-LAB-C-DAILY-CENSUS.html");
    EXPECT_EQ(first.find("rel=\"prev\""), std::string::npos);
    EXPECT_NE(first.find("<a rel=\"next\" href=\"0002-LAB-C-EMPTY.html\">"), std::string::npos);
    const std::string second = slurp(root_ / "site" / "0002-LAB-C-EMPTY.html");
    EXPECT_NE(second.find("<a rel=\"prev\" href=\"0001-LAB-C-DAILY-CENSUS.html\">"),
              std::string::npos);
    // The outline's first heading is the description, on the line its link names.
    const std::size_t link = first.find("<li class=\"level-1\"><a href=\"#L");
    ASSERT_NE(link, std::string::npos);
    const std::size_t number_at =
        link + std::string_view("<li class=\"level-1\"><a href=\"#L").size();
    const std::string line = first.substr(number_at, first.find('"', number_at) - number_at);
    const std::size_t target = first.find("<p id=\"L" + line + "\"");
    ASSERT_NE(target, std::string::npos) << line;
    EXPECT_EQ(first.substr(target, first.find('\n', target) - target),
              "<p id=\"L" + line + "\" class=\"c2\"><span class=\"c4\">Description</span></p>");
    // The documents' colours, the red darkened to a contrast of 4.5:1 on white.
    const std::string styles = slurp(root_ / "site" / "0001-LAB-C-DAILY-CENSUS.css");
    EXPECT_NE(styles.find("color: #0000ff;"), std::string::npos) << styles;
    EXPECT_NE(styles.find("color: #ed0000;"), std::string::npos);
    EXPECT_EQ(styles.find("#ff0000"), std::string::npos);
    // The index counts each procedure's reports, macros and screens.
    const std::string index = slurp(root_ / "site" / "index.html");
    EXPECT_NE(index.find("LAB.C.DAILY.CENSUS</a></td><td class=\"number\">1</td><td "
                         "class=\"number\">1</td><td class=\"number\">1</td>"),
              std::string::npos);
    EXPECT_EQ(index.find("Damage"), std::string::npos);
}

TEST_F(PublishingTest, ADamagedExportPublishesWhatItHoldsAndListsTheDamage) {
    const std::string whole = sample_export();
    const std::string cut = whole.substr(0, whole.find("RPT\r\n") + 5);
    auto site = publish_site(cut, root_ / "site", "cut.qlx");
    ASSERT_TRUE(site);
    EXPECT_EQ(site->procedures, 1u);
    EXPECT_EQ(site->damage.count(), 1u);
    const std::string index = slurp(root_ / "site" / "index.html");
    EXPECT_NE(index.find("<h2 class=\"damage\">Damage</h2>"), std::string::npos);
    EXPECT_NE(index.find("<li>Line 11: a line it needs is missing at the end of the file</li>"),
              std::string::npos)
        << index;
}

TEST_F(PublishingTest, OnlyANewOrEmptyFolderOrAnEarlierSiteIsPublishedInto) {
    const std::string bytes = sample_export();
    // Someone else's folder, and a file: refused, untouched, nothing left beside them.
    fs::create_directories(root_ / "theirs");
    std::ofstream(root_ / "theirs" / "notes.txt") << "mine";
    std::ofstream(root_ / "file") << "a file";
    for (const char* name : {"theirs", "file"}) {
        auto refused = publish_site(bytes, root_ / name, "sample.qlx");
        ASSERT_FALSE(refused) << name;
        EXPECT_FALSE(refused.error().cancelled);
        EXPECT_EQ(refused.error().file.path, (root_ / name).string());
        EXPECT_FALSE(check_site_folder(root_ / name));
    }
    EXPECT_EQ(check_site_folder(root_ / "theirs").error().reason,
              "is a folder with other things in it, not a site published here: give a new or "
              "empty folder");
    EXPECT_EQ(names_in(root_ / "theirs"), std::set<std::string>{"notes.txt"});
    EXPECT_EQ(names_in(root_), (std::set<std::string>{"file", "theirs"}));

    // An empty folder, then the site published there: each replaced whole, nothing left over.
    fs::create_directories(root_ / "empty");
    ASSERT_TRUE(publish_site(bytes, root_ / "empty", "sample.qlx"));
    std::ofstream(root_ / "empty" / "stale.html") << "from before";
    const std::string one = bytes.substr(0, bytes.find("\r\nPROC\r\nLAB.C.EMPTY") + 2);
    auto again = publish_site(one, root_ / "empty" / "." / "", "one.qlx");
    ASSERT_TRUE(again) << again.error().file.reason;
    EXPECT_EQ(names_in(root_ / "empty"),
              (std::set<std::string>{".qlx-viewer-site", "0001-LAB-C-DAILY-CENSUS.css",
                                     "0001-LAB-C-DAILY-CENSUS.html", "index.html",
                                     "search-index.js", "site.css", "site.js"}));
    EXPECT_EQ(names_in(root_), (std::set<std::string>{"empty", "file", "theirs"}));
}

TEST_F(PublishingTest, ACancelLeavesNothingBehind) {
    const std::string bytes = sample_export();
    // Cancelled while converting, then once the pages are begun (the pages share out among
    // threads, so how many are done by then varies), then at the very end.
    for (const int stage : {0, 1, 2}) {
        std::uint64_t last = 0;
        bool refused = false;
        auto cancelled = publish_site(
            bytes, root_ / "site", "sample.qlx",
            [&](conversion::Phase, std::uint64_t done, std::uint64_t total) {
                EXPECT_GE(done, last);
                EXPECT_LE(done, total);
                last = done;
                refused = stage == 0 || (stage == 1 && 2 * done > total) || done == total;
                return !refused;
            });
        ASSERT_FALSE(cancelled) << stage;
        EXPECT_TRUE(refused);
        EXPECT_TRUE(cancelled.error().cancelled);
        EXPECT_TRUE(names_in(root_).empty()) << stage;
    }
    // An earlier site stays as it was.
    ASSERT_TRUE(publish_site(bytes, root_ / "site", "sample.qlx"));
    const std::string index = slurp(root_ / "site" / "index.html");
    EXPECT_FALSE(
        publish_site(bytes, root_ / "site", "other.qlx",
                     [](conversion::Phase, std::uint64_t, std::uint64_t) { return false; }));
    EXPECT_EQ(slurp(root_ / "site" / "index.html"), index);
    EXPECT_EQ(names_in(root_), std::set<std::string>{"site"});
}

TEST(ComparisonReport, ListsTheChangesWithTheirWordsAndEscapesEveryText) {
    const std::string old_bytes = sample_export();
    std::string new_bytes = replaced(old_bytes, "sorted by location", "sorted by <i>ward</i>");
    new_bytes = replaced(new_bytes, "St. Elsewhere Hospital", "St. <Elsewhere> Hospital");
    comparison::ExportTexts old_export = comparison::export_texts(old_bytes);
    comparison::ExportTexts new_export = comparison::export_texts(new_bytes);
    const auto header = comparison::compare_headers(old_export, new_export);
    const auto procedures = comparison::compare_exports(old_export, new_export);
    const std::string report =
        comparison_report({"old <1>.qlx", "new.qlx", old_export, new_export, header, procedures});
    EXPECT_TRUE(report.starts_with("<!DOCTYPE html>\n<html lang=\"en\">")) << report;
    EXPECT_EQ(occurrences(report, "<script"), 0u);
    EXPECT_EQ(occurrences(report, "<i>"), 0u);
    EXPECT_NE(report.find("<title>Comparison of old &lt;1&gt;.qlx and new.qlx</title>"),
              std::string::npos);
    EXPECT_NE(report.find("<td>hospital</td><td>St. Elsewhere Hospital</td>"
                          "<td>St. &lt;Elsewhere&gt; Hospital</td>"),
              std::string::npos);
    EXPECT_NE(report.find("<p>1 procedure differs, 3 unchanged.</p>"), std::string::npos);
    EXPECT_NE(report.find("<tr><td><a href=\"#procedure-1\">LAB.C.DAILY.CENSUS</a></td>"
                          "<td>Changed</td><td class=\"number\">1</td><td "
                          "class=\"number\">1</td></tr>"),
              std::string::npos);
    EXPECT_NE(report.find("<section id=\"procedure-1\">"), std::string::npos);
    EXPECT_NE(report.find("sorted by <b>location</b>.</td></tr>"), std::string::npos) << report;
    EXPECT_NE(report.find("sorted by <b>&lt;i&gt;ward&lt;/i&gt;</b>.</td></tr>"),
              std::string::npos);
    EXPECT_NE(report.find("<tr class=\"removed\">"), std::string::npos);
    EXPECT_NE(report.find("<tr class=\"added\">"), std::string::npos);
}

}  // namespace
}  // namespace qlx::publishing
