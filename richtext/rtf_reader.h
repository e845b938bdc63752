#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "richtext/document.h"

namespace qlx::richtext {

// What was wrong with an RTF input. The reader never fails: it reads what it can and notes
// the damage here.
struct RtfProblems {
    bool not_rtf = false;     // the bytes do not begin with "{\rtf"
    bool truncated = false;   // the input ends inside a group or a control word
    bool unbalanced = false;  // a "}" with no group open, or text after the document's group
    bool too_deep = false;    // groups nested deeper than the reader follows
    friend bool operator==(const RtfProblems&, const RtfProblems&) = default;
};

struct RtfReadResult {
    Document document;
    RtfProblems problems;
};

// Reads RTF bytes into a document. Runs in time and memory linear in the input's size,
// whatever the input: nesting is followed with an explicit stack of bounded depth, and
// \binN skips at most the bytes that are there.
RtfReadResult read_rtf(std::string_view rtf);

// Takes paragraphs from a reader while it reads, so that they can be used before the reading
// ends (on another thread than the reader's: it calls from its own, one call at a time).
class ParagraphSink {
public:
    virtual ~ParagraphSink() = default;
    // The next paragraphs of the document, which nothing read later changes, and the formats
    // added to the document since the last call (their indices follow on).
    virtual void take(std::vector<Paragraph> paragraphs, std::vector<CharFormat> formats) = 0;
};

// Reads as read_rtf does, handing finished paragraphs to `sink` on the way, some tens at a
// time: whole tables and the paragraphs between them, until a list item comes. The
// paragraphs handed over are left empty in the document returned; the others follow them.
RtfReadResult read_rtf(std::string_view rtf, ParagraphSink& sink);

// The text of a footnote as a run carries it ("{\footnote ...}"): its paragraphs joined by
// blanks, without its own reference mark; empty for any other group.
std::string footnote_text(std::string_view group);

}  // namespace qlx::richtext
