// Writes a large well-formed export for benchmarks: procedures with descriptions, reports
// with every kind of report node, macros and screens, repeated until the size is reached.
//
//   generate_export SIZE_IN_MB FILE

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

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

void add_procedure(ExportText& out, int number) {
    const std::string n = std::to_string(number);
    const std::string name = "LAB.C.REPORT." + n;
    out.line("PROC");
    out.line(name);
    out.line(counted("LAB.C") + counted(name) + counted("JSMITH") + counted("ALL") + counted("Y") +
             counted("A,B") + counted("") + counted("") + counted("") + counted("N"));
    for (int i = 1; i <= 4; ++i) {
        out.node("D" + counted(std::to_string(i)),
                 "Description line " + std::to_string(i) + " of {procedure} C:\\LAB\\" + n);
    }
    out.line("SR");
    out.line("@LAB.C.STATUS=\"FINAL\" and {date} in range");

    out.line("RPT");
    out.line(counted("Y") + counted(name) + counted("LAB.C") + counted("") + counted("LAB.C") +
             counted("Report " + n) + counted("BANNER") + counted("10") + counted("132") +
             counted("6") + counted("60") + counted("") + counted("66") + counted("LST"));
    out.node("AT" + counted("1"), "attributes");
    for (int i = 1; i <= 3; ++i) {
        out.node("DC" + counted(std::to_string(i)), "Documentation {" + std::to_string(i) + "}");
    }
    out.node("F" + counted(std::string(30, 'S')) + counted("PAT.NAME"), "");
    out.node("F" + counted("3") + counted("SE") + counted("2"),
             counted("EQ") + counted("N") + counted("") + counted("") + counted("") +
                 counted("") + counted("Patient name") + counted("ALL"));
    out.node("F" + counted("3"), counted("NAME") + counted("PAT") + counted("X") +
                                     counted("Smith"));
    out.node("F" + counted("3") + counted("VAL") + counted("1"), "computed \\value");
    out.node("FI" + counted("1"), "index");
    out.node("I" + counted("1"), "internal");
    out.node("U" + counted("12345678"), "user");
    for (int i = 1; i <= 2; ++i) {
        out.node("T" + counted(std::to_string(i)),
                 counted("PAT.NAME") + counted("A") + counted("Y") + counted("N") +
                     counted("R") + counted("") + counted(""));
    }
    for (int i = 1; i <= 12; ++i) {
        out.node("P" + counted(std::to_string(i)),
                 "   PATIENT NAME        ROOM   {STATUS}   " + std::to_string(i * 7));
    }
    for (int i = 1; i <= 6; ++i) {
        out.node("L" + counted(std::to_string(i)), counted("PH") + counted("Page header"));
        out.node("L" + counted(std::to_string(i)) + counted("1"),
                 "element value " + std::to_string(i));
    }
    out.node("N" + counted("1"), "Footnote: values in {brackets} are estimates.");
    out.node("ZZ" + counted("9"), "unknown node");

    out.line("MACRO");
    out.line("census.total." + n);
    for (int i = 1; i <= 10; ++i) {
        out.node("M" + counted(std::to_string(i)),
                 i % 3 == 0 ? ";; comment line " + std::to_string(i)
                            : "@IF{x>0 @DO.SOMETHING," + std::to_string(i) + "}");
    }

    out.line("SCRN");
    out.line("screen");
    out.node("CS" + counted("1"), "Select screen title");
    for (int i = 1; i <= 4; ++i) {
        out.node("P" + counted(std::to_string(i)), "  Prompt " + std::to_string(i) + ": ____");
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: generate_export SIZE_IN_MB FILE\n";
        return 2;
    }
    const std::size_t target = static_cast<std::size_t>(std::atof(argv[1]) * 1024 * 1024);
    ExportText out;
    out.text().reserve(target + 64 * 1024);
    out.line("MEDITECH.CUST.RPTS^LAB^St. Elsewhere^LIVE.LAB^LAB.C^JSMITH^20261130^1^generated");
    for (int number = 1; out.text().size() < target; ++number) {
        add_procedure(out, number);
    }
    std::ofstream file(argv[2], std::ios::binary);
    file.write(out.text().data(), static_cast<std::streamsize>(out.text().size()));
    if (!file) {
        std::cerr << "generate_export: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
