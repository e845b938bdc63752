#include "bench/export_generator.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace qlx::bench {

namespace {

std::string counted(std::string_view text) {
    return static_cast<char>(static_cast<unsigned char>(text.size())) + std::string(text);
}

class ExportText {
public:
    void line(std::string_view text) {
        text_ += text;
        text_ += "\r\n";
    }
    void node(std::string_view node, std::string_view value) {
        line(node);
        line(value);
    }
    std::string& text() { return text_; }

private:
    std::string text_;
};

std::string counted_list(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) {
        text += counted(part);
    }
    return text;
}

std::string node(std::string_view name, std::initializer_list<std::string_view> subscripts) {
    return std::string(name) + counted_list(subscripts);
}

// One procedure of a size that real exports have: a report with selection fields, some
// sixty fields, a long picture and its report lines, sort fields and footnotes; a macro
// of a hundred and fifty lines; a screen. `scale` multiplies the fields, picture, report
// lines and macro lines, for exports of fewer but larger procedures.
void add_procedure(ExportText& out, int number, int scale, bool changed) {
    const std::string n = std::to_string(number);
    const std::string name = "LAB.C.REPORT." + n;
    out.line("PROC");
    out.line(name);
    out.line(counted_list({"LAB.C", name, "JSMITH", "ALL", "Y", "A,B", "", "", "", "N"}));
    for (int i = 1; i <= 6; ++i) {
        out.node(node("D", {std::to_string(i)}),
                 (changed && i == 2 ? "Changed description line " : "Description line ") +
                     std::to_string(i) + " of {procedure} C:\\LAB\\" + n);
    }
    out.line("SR");
    out.line("@LAB.C.STATUS=\"FINAL\" and {date} in range");

    out.line("RPT");
    out.line(counted_list({"Y",   name, "LAB.C", "", "LAB.C",      "Report " + n, "BANNER", "10",
                           "132", "6",  "60",    "", "66",         "LST",         "",       "",
                           "",    "",   "",      "", "LAB.C.SPEC", "N",           "0"}));
    for (int i = 1; i <= 8; ++i) {
        out.node(node("DC", {std::to_string(i)}),
                 "Documentation line {" + std::to_string(i) + "} of the report.");
    }
    out.node(node("AT", {"1"}), "skipped");
    for (int i = 1; i <= 5; ++i) {
        const std::string field = "pat.field." + std::to_string(i);
        std::string padded = field;
        padded.resize(30, ' ');
        out.node(node("F", {padded}), counted(field));
        out.node(node("F", {padded, "SE", std::to_string(i)}),
                 counted_list(
                     {"EQ", "FREE", "TEXT", "", "LAB", "", "Prompt " + std::to_string(i), "ALL"}));
    }
    for (int i = 1; i <= 60 * scale; ++i) {
        const std::string f = std::to_string(i);
        out.node(node("F", {f}), counted_list({"FIELD" + f, "PAT", "", "Field {" + f + "}"}));
        out.node(node("F", {f, "A", "WIDTH"}), "12");
        if (i % 5 == 0) {
            out.node(node("F", {f, "VAL"}), "IF{@PAT.FIELD" + f + "}^X computed \\value " + f);
        }
    }
    out.node(node("FI", {"1"}), "skipped");
    out.node(node("I", {"1"}), "skipped");
    out.node(node("U", {"00000001"}), "skipped");
    for (int i = 1; i <= 3; ++i) {
        out.node(node("T", {std::to_string(i)}),
                 counted_list({"PAT.FIELD" + std::to_string(i), "A", "Y", "N", "Y"}));
    }
    for (int i = 1; i <= 120 * scale; ++i) {
        out.node(node("P", {std::to_string(i)}),
                 "| PATIENT NAME {" + std::to_string(i) + "}   ROOM   STATUS   DATE       |");
    }
    for (int i = 1; i <= 40 * scale; ++i) {
        const std::string l = std::to_string(i);
        out.node(node("L", {l}), counted(i % 2 ? "DE" : "PH") + "ignored");
        out.node(node("L", {l, "E", "1"}), "Element " + l);
        out.node(node("L", {l, "F", "1"}), "PAT.FIELD" + l);
    }
    out.node(node("N", {"1"}), "Values in {brackets} are estimates.");
    out.node(node("N", {"2"}), "Confidential.");
    out.node(node("ZZ", {"1"}), "an unknown node and its value");

    out.line("MACRO");
    out.line("census.total." + n);
    for (int i = 1; i <= 150 * scale; ++i) {
        out.node(node("M", {std::to_string(i)}),
                 i % 4 == 0
                     ? (changed && i % 40 == 0 ? "; Revised comment line " : "; Comment line ") +
                           std::to_string(i)
                     : "IF{@SITE} 0^COUNT," + std::to_string(i) + ";   ; a remark");
    }

    out.line("SCRN");
    out.line(name + ".S");
    out.node(node("CS", {"1"}), "skipped");
    out.node(node("P", {"1"}), counted_list({"Report " + n, "Print the report?"}));
    for (int i = 1; i <= 10; ++i) {
        out.node(node("P", {"1", "F", std::to_string(i)}),
                 counted("Prompt {" + std::to_string(i) + "}"));
        out.node(node("P", {"1", "F", std::to_string(i), "X", "TYPE"}), "FREE");
    }
    for (int i = 1; i <= 10; ++i) {
        out.node(node("P", {"1", "P", std::to_string(i)}),
                 "  Field " + std::to_string(i) + ": ________");
    }
}

}  // namespace

std::string generate_export(std::size_t size, int procedures, int changed_every) {
    int scale = 1;
    if (procedures > 0) {
        ExportText one;
        add_procedure(one, 1, 1, false);
        const std::size_t wanted = size / static_cast<std::size_t>(procedures);
        scale = std::max(1, static_cast<int>((wanted + one.text().size() / 2) / one.text().size()));
    }
    ExportText out;
    out.text().reserve(size + 64 * 1024 * static_cast<std::size_t>(scale));
    out.line(
        "MEDITECH.CUST.RPTS^St. Elsewhere Hospital^LAB^LIVE.LAB^JSMITH^20261130^LAB.C^generated^1");
    for (int number = 1; procedures > 0 ? number <= procedures : out.text().size() < size;
         ++number) {
        add_procedure(out, number, scale, changed_every > 0 && number % changed_every == 0);
    }
    return std::move(out.text());
}

}  // namespace qlx::bench
