#include "comparison/export_comparison.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/export_builder.h"

namespace qlx::comparison {
namespace {

namespace fs = std::filesystem;
using testing::counted;
using testing::lines;

// A procedure of an export: its name and a description line.
std::string procedure(std::string_view name, std::string_view description) {
    return lines({"PROC", name, counted("LAB.C"), "D" + counted("1"), description});
}

std::string export_of(const std::vector<std::string>& procedures,
                      std::string_view header = "MEDITECH.CUST.RPTS^St. Elsewhere^LAB") {
    std::string text = lines({header});
    for (const std::string& one : procedures) {
        text += one;
    }
    return text;
}

// Exports made of documents as they are, without a conversion.
ExportTexts documents(const std::vector<std::pair<std::string, std::string>>& named) {
    ExportTexts texts;
    for (const auto& [name, rtf] : named) {
        texts.procedures.push_back({.name = name, .rtf = rtf});
    }
    return texts;
}

TEST(CompareExports, DocumentsThatDifferOnlyInWhatTheTextDoesNotShowAreUnchanged) {
    // Formats, fonts, colours, a different spelling of the same characters: the same text.
    ExportTexts old_export = documents({{"A", "{\\rtf1 one\\par two}"},
                                        {"B", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}x}"},
                                        {"C", "{\\rtf1 caf\\'e9}"},
                                        {"D", "{\\rtf1 same}"}});
    ExportTexts new_export = documents({{"A", "{\\rtf1 \\b one\\b0\\par\\fs30 two}"},
                                        {"B", "{\\rtf1 \\cf1 x}"},
                                        {"C", "{\\rtf1 caf\\u233?}"},
                                        {"D", "{\\rtf1 same }"}});
    const std::vector<ProcedureComparison> compared = compare_exports(old_export, new_export);
    ASSERT_EQ(compared.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(compared[i].state, ProcedureState::unchanged) << compared[i].name;
        EXPECT_EQ(compared[i].added_lines + compared[i].removed_lines, 0u) << compared[i].name;
        EXPECT_TRUE(compared[i].lines.empty()) << compared[i].name;
    }
    // A trailing space is text: one line removed, one added.
    EXPECT_EQ(compared[3].state, ProcedureState::changed);
    EXPECT_EQ(compared[3].removed_lines, 1u);
    EXPECT_EQ(compared[3].added_lines, 1u);
}

// qlx-convert --diff on two exports written to files named old.qlx and new.qlx.
class DiffCommand : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / (std::string("qlx-diff-test-") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    int diff(std::string_view old_export, std::string_view new_export,
             std::vector<fs::path> options = {}) {
        std::ofstream(root_ / "old.qlx", std::ios::binary) << old_export;
        std::ofstream(root_ / "new.qlx", std::ios::binary) << new_export;
        options.insert(options.begin(), "--diff");
        options.push_back(root_ / "old.qlx");
        options.push_back(root_ / "new.qlx");
        std::ostringstream out_stream, err_stream;
        const int code =
            cli::run_command_line(cli::parse_command_line(options), "9.9", out_stream, err_stream);
        out = out_stream.str();
        err = err_stream.str();
        return code;
    }

    // The summary: the lines after the last diff line.
    std::string summary() const {
        std::string kept;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("added ") || line.starts_with("removed ") ||
                line.starts_with("changed ") || line.ends_with(" unchanged")) {
                kept += line + "\n";
            }
        }
        return kept;
    }

    fs::path root_;
    std::string out;
    std::string err;
};

TEST_F(DiffCommand, IdenticalExportsSayNothing) {
    const std::string text = export_of({procedure("ONE", "first"), procedure("TWO", "second")});
    EXPECT_EQ(diff(text, text), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST_F(DiffCommand, ChangedAddedRemovedRenamedAndMovedProcedures) {
    const std::string old_text =
        export_of({procedure("CHANGED", "before"), procedure("MOVED", "same"),
                   procedure("GONE", "old"), procedure("OLD.NAME", "renamed")});
    const std::string new_text =
        export_of({procedure("MOVED", "same"), procedure("CHANGED", "after"),
                   procedure("NEW.NAME", "renamed"), procedure("ADDED", "new")});
    EXPECT_EQ(diff(old_text, new_text), 1);
    EXPECT_EQ(summary(),
              "changed CHANGED (+1 -1 lines)\nadded NEW.NAME\nadded ADDED\nremoved GONE\n"
              "removed OLD.NAME\n1 unchanged\n");
    const std::string old_name = (root_ / "old.qlx").string();
    const std::string new_name = (root_ / "new.qlx").string();
    const std::string header = "--- " + old_name + ":CHANGED\n+++ " + new_name + ":CHANGED\n@@ -";
    EXPECT_EQ(out.find(header), 0u) << out;
    EXPECT_NE(out.find("\n-before\n+after\n"), std::string::npos) << out;
    EXPECT_EQ(out.find(":MOVED"), std::string::npos);
    // An added procedure's diff is the whole of it, as diff -u shows a new file.
    EXPECT_NE(out.find("+++ " + new_name + ":ADDED\n@@ -0,0 +1,"), std::string::npos) << out;

    // Three lines of context by default, as asked with -U. (Lines are counted below the
    // export header, here three lines.)
    EXPECT_EQ(diff(old_text, new_text, {"-U", "0"}), 1);
    EXPECT_NE(out.find("@@ -10 +10 @@\n-before\n+after\n---"), std::string::npos) << out;
    EXPECT_EQ(diff(old_text, new_text, {"-U1"}), 1);
    EXPECT_NE(out.find("@@ -9,3 +9,3 @@\n \n-before\n+after\n \n---"), std::string::npos) << out;
}

TEST_F(DiffCommand, ProceduresOfOneNameArePairedInTheirOrder) {
    const std::string old_text =
        export_of({procedure("TWIN", "first"), procedure("TWIN", "second")});
    EXPECT_EQ(diff(old_text, export_of({procedure("TWIN", "first"), procedure("TWIN", "SECOND"),
                                        procedure("TWIN", "third")})),
              1);
    EXPECT_EQ(summary(), "changed TWIN (+1 -1 lines)\nadded TWIN\n1 unchanged\n");
    EXPECT_NE(out.find("-second\n+SECOND\n"), std::string::npos) << out;
}

TEST_F(DiffCommand, JsonLinesSayTheSame) {
    EXPECT_EQ(diff(export_of({procedure("A", "x"), procedure("B", "y")}),
                   export_of({procedure("A", "X"), procedure("C", "z")}), {"--json"}),
              1);
    std::vector<std::string> objects;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        objects.push_back(line);
    }
    ASSERT_EQ(objects.size(), 4u) << out;
    EXPECT_TRUE(objects[0].starts_with(
        R"({"name":"A","state":"changed","added":1,"removed":1,"diff":"--- )"))
        << objects[0];
    EXPECT_NE(objects[0].find(R"(\u000a-x\u000a+X\u000a)"), std::string::npos) << objects[0];
    EXPECT_TRUE(objects[1].starts_with(R"({"name":"C","state":"added","added":)")) << objects[1];
    EXPECT_TRUE(objects[2].starts_with(R"({"name":"B","state":"removed","added":0,"removed":)"))
        << objects[2];
    EXPECT_EQ(objects[3], R"({"different":3,"unchanged":0})");
}

TEST_F(DiffCommand, TheHeaderIsComparedOnceAndTheProceduresWithoutIt) {
    const std::string header = "MEDITECH.CUST.RPTS^St. Elsewhere^LAB^LIVE^JS^";
    const std::vector<std::string> procedures = {procedure("A", "x"), procedure("B", "y")};
    EXPECT_EQ(diff(export_of(procedures, header + "2026-11-02^LAB.C^nightly"),
                   export_of(procedures, header + "2026-12-01^LAB.C^nightly")),
              1);
    EXPECT_EQ(out, "Export header: date 2026-11-02 \xE2\x86\x92 2026-12-01\n2 unchanged\n");
    EXPECT_EQ(err, "");

    // Each field that differs on a line of its own; a field only one header has is empty in
    // the other; procedures that changed as well are listed after.
    EXPECT_EQ(diff(export_of({procedure("A", "x"), procedure("B", "y")}, header + "1^S"),
                   export_of({procedure("A", "x"), procedure("B", "Y")}, header + "2^S^c^9")),
              1);
    EXPECT_TRUE(
        out.starts_with("Export header: date 1 \xE2\x86\x92 2\n"
                        "Export header: comment \"\" \xE2\x86\x92 c\n"
                        "Export header: field 9 \"\" \xE2\x86\x92 9\n--- "))
        << out;
    EXPECT_EQ(summary(), "changed B (+1 -1 lines)\n1 unchanged\n");
    EXPECT_EQ(out.find("Hospital"), std::string::npos) << out;

    EXPECT_EQ(diff(export_of(procedures, header + "2026-11-02"),
                   export_of(procedures, header + "2026-12-01"), {"--json"}),
              1);
    EXPECT_EQ(out,
              "{\"header\":[{\"field\":\"date\",\"old\":\"2026-11-02\",\"new\":\"2026-12-01\"}]}\n"
              "{\"different\":0,\"unchanged\":2}\n");
}

TEST(CompareExports, TheExportHeaderIsLeftOutOfEveryProcedure) {
    const std::string old_export = export_of({procedure("A", "x")}, "MEDITECH.CUST.RPTS^H^M^D");
    ExportTexts old_texts = export_texts(old_export);
    ExportTexts new_texts = export_texts(export_of({procedure("A", "X")}, "MEDITECH.CUST.RPTS^H"));
    ASSERT_EQ(old_texts.header.size(), 4u);
    EXPECT_EQ(old_texts.header[0].name, "field 1");
    EXPECT_EQ(old_texts.header[0].value, "MEDITECH.CUST.RPTS");
    EXPECT_EQ(old_texts.header[3].name, "directory");
    EXPECT_EQ(old_texts.header[3].value, "D");
    const std::vector<HeaderChange> header = compare_headers(old_texts, new_texts);
    ASSERT_EQ(header.size(), 2u);
    EXPECT_EQ(describe(header[0]), "Export header: mis M \xE2\x86\x92 \"\"");
    const std::vector<ProcedureComparison> compared = compare_exports(old_texts, new_texts);
    ASSERT_EQ(compared.size(), 1u);
    EXPECT_EQ(compared[0].state, ProcedureState::changed);
    EXPECT_TRUE(new_texts.procedures[0].text.starts_with("\n====")) << new_texts.procedures[0].text;
    EXPECT_EQ(compared[0].added_lines, 1u);
    EXPECT_EQ(compared[0].removed_lines, 1u);
}

TEST_F(DiffCommand, DamageIsReportedAndTheComparisonGoesOn) {
    // A counted string that runs past its line, and an export whose lines end in LF only.
    std::string damaged = export_of({procedure("A", "x")});
    damaged += lines({"PROC", "B", counted("LAB.C"), "RPT",
                      "\x09"
                      "ADM"});
    std::string lf_only = export_of({procedure("A", "y")});
    for (std::size_t at; (at = lf_only.find("\r\n")) != std::string::npos;) {
        lf_only.erase(at, 1);
    }
    EXPECT_EQ(diff(damaged, lf_only), 2);
    EXPECT_NE(err.find((root_ / "old.qlx").string() + ":"), std::string::npos) << err;
    EXPECT_NE(err.find((root_ / "new.qlx").string() + ":1: lines end in LF"), std::string::npos)
        << err;
    EXPECT_NE(summary().find("changed A (+1 -1 lines)\n"), std::string::npos) << out;
    EXPECT_NE(summary().find("removed B\n"), std::string::npos) << out;
}

TEST_F(DiffCommand, TroubleAndUsage) {
    const std::string text = export_of({procedure("A", "x")});
    EXPECT_EQ(diff("not an export", text), 2);
    EXPECT_NE(err.find("not an export"), std::string::npos) << err;
    EXPECT_EQ(out, "");
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--diff", "one.qlx"},
                                                      {"--diff", "a", "b", "--out", "dir"},
                                                      {"-U", "3", "a"},
                                                      {"--diff", "-U", "three", "a", "b"}}) {
        std::vector<fs::path> paths(arguments.begin(), arguments.end());
        EXPECT_EQ(cli::parse_command_line(paths).action, cli::CommandLine::Action::usage_error)
            << arguments[0] << " " << arguments.back();
    }
}

}  // namespace
}  // namespace qlx::comparison
