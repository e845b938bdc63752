// Every prefix of every document converted from the sample export, cut at every byte, reads
// without failing; every paragraph that was complete before the cut reads exactly as in the
// whole document, and the cut is noted as damage.
//
// When a paragraph is complete: the reader finishes a paragraph when it meets the control word
// that ends it (in the converter's documents always \par) and knows that word has ended only
// when it sees the byte after it: a blank (which belongs to the word) or any other non-letter,
// non-digit byte. A prefix that holds the word and that byte holds the paragraph complete; a
// shorter one may not (cut after "\par" of "\pard", the word would read as \par). The last
// paragraph ends with the brace that closes the document's group.
#include "richtext/rtf_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "conversion/driver.h"
#include "file_bytes.h"
#include "model_dump.h"
#include "richtext/rtf_lexer.h"
#include "support/memory_sink.h"

namespace qlx::richtext {
namespace {

// Where in a document each paragraph becomes complete: the length of the shortest prefix
// that holds it whole. The last entry is the prefix that holds the document's closing brace.
std::vector<std::size_t> paragraph_ends(std::string_view rtf) {
    std::vector<std::size_t> ends;
    RtfLexer lexer(rtf);
    int depth = 0;
    for (Token token = lexer.next(); token.kind != TokenKind::end; token = lexer.next()) {
        const std::size_t after = rtf.size() - lexer.rest().size();
        if (token.kind == TokenKind::control_word && token.text == "par") {
            ends.push_back(rtf[after - 1] == ' ' ? after : after + 1);
        } else if (token.kind == TokenKind::group_open) {
            ++depth;
        } else if (token.kind == TokenKind::group_close && --depth == 0) {
            ends.push_back(after);
            break;
        }
    }
    return ends;
}

// Paragraphs of two documents alike in text, runs and formats (compared by value).
bool same_paragraph(const Document& a, const Document& b, std::size_t index) {
    const Paragraph& left = a.paragraphs()[index];
    const Paragraph& right = b.paragraphs()[index];
    return a.format(left.mark_format) == b.format(right.mark_format) &&
           std::ranges::equal(left.runs, right.runs, [&](const Run& l, const Run& r) {
               return l.text == r.text && a.format(l.format) == b.format(r.format);
           });
}

// A paragraph's runs and mark with their formats spelled out, to show how two differ.
std::string spelled_out(const Document& document, std::size_t index) {
    const Paragraph& paragraph = document.paragraphs()[index];
    std::string out;
    for (const Run& run : paragraph.runs) {
        out += '[' + testing::describe(document.format(run.format)) + "] " + run.text + '\n';
    }
    return out + "P " + testing::describe(document.format(paragraph.mark_format));
}

struct SampleDocument {
    int number = 0;  // n of temp<n>.rtf
    std::string rtf;
};

void PrintTo(const SampleDocument& document, std::ostream* out) {
    *out << "temp" << document.number << ".rtf";
}

// The documents of the sample export; none when it cannot be converted (which leaves the test
// below without instances, a failure of its own).
std::vector<SampleDocument> converted_sample() {
    testing::MemorySink sink;
    const auto report =
        conversion::convert_export(testing::file_bytes(QLX_EXAMPLES_DIR "/sample.qlx"), sink);
    std::vector<SampleDocument> documents;
    for (std::size_t i = 0; report && report->damage.empty() && i < sink.documents.size(); ++i) {
        documents.push_back({sink.numbers[i], sink.documents[i]});
    }
    return documents;
}

void check_every_prefix(std::string_view rtf) {
    const RtfReadResult whole = read_rtf(rtf);
    ASSERT_EQ(whole.problems, RtfProblems{});
    const std::vector<std::size_t> ends = paragraph_ends(rtf);
    ASSERT_EQ(ends.size(), whole.document.paragraphs().size());

    for (std::size_t cut = 0; cut <= rtf.size(); ++cut) {
        const RtfReadResult part = read_rtf(rtf.substr(0, cut));
        if (cut >= ends.back()) {
            ASSERT_EQ(part.problems, RtfProblems{}) << "cut at " << cut;
            ASSERT_TRUE(part.document == whole.document) << "cut at " << cut;
            continue;
        }
        ASSERT_TRUE(cut == 0 ? part.problems.not_rtf : part.problems.truncated) << "cut at " << cut;
        const auto& paragraphs = part.document.paragraphs();
        for (std::size_t k = 0; k < ends.size() && ends[k] <= cut; ++k) {
            ASSERT_GT(paragraphs.size(), k + 1) << "paragraph " << k << ", cut at " << cut;
            ASSERT_TRUE(same_paragraph(part.document, whole.document, k))
                << "paragraph " << k << ", cut at " << cut << "\nread:\n"
                << spelled_out(part.document, k) << "\nwhole:\n"
                << spelled_out(whole.document, k);
        }
    }
}

// One test for each document, so that they can run side by side.
class RtfPrefixDamage : public ::testing::TestWithParam<SampleDocument> {};

TEST_P(RtfPrefixDamage, ParagraphsCompleteBeforeTheCutReadAsInTheWholeDocument) {
    check_every_prefix(GetParam().rtf);
}

INSTANTIATE_TEST_SUITE_P(SampleExport, RtfPrefixDamage, ::testing::ValuesIn(converted_sample()),
                         [](const ::testing::TestParamInfo<SampleDocument>& document) {
                             return "temp" + std::to_string(document.param.number);
                         });

}  // namespace
}  // namespace qlx::richtext
