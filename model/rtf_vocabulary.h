#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qlx::conversion {

// The number of paragraph marks ("\par" as a control word, not "\pard") in RTF text.
constexpr std::size_t count_paragraph_marks(std::string_view rtf) {
    std::size_t marks = 0;
    for (std::size_t at = rtf.find("\\par"); at != std::string_view::npos;
         at = rtf.find("\\par", at + 4)) {
        const std::size_t after = at + 4;
        const bool letter = after < rtf.size() && ((rtf[after] >= 'a' && rtf[after] <= 'z') ||
                                                   (rtf[after] >= 'A' && rtf[after] <= 'Z'));
        const bool escaped = at > 0 && rtf[at - 1] == '\\';
        marks += letter || escaped ? 0 : 1;
    }
    return marks;
}

// Fixed RTF text written as it stands. Anything written that is not an RtfLiteral is export
// text and goes through escape_rtf, so that an export's "\", "{" or "}" can never end or
// break a document. Its paragraph marks are counted once, when it is made (at compile time
// for the vocabulary), so that a writer knows which paragraph it is in.
struct RtfLiteral {
    std::string_view text;
    std::size_t paragraph_marks = count_paragraph_marks(text);
};

inline namespace rtf_literals {
consteval RtfLiteral operator""_rtf(const char* text, std::size_t size) {
    return {std::string_view{text, size}};
}
}  // namespace rtf_literals

inline constexpr RtfLiteral rtfPrologue{
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
    "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern Courier New;}{\\f3\\fscript Comic Sans MS;}"
    "{\\f4\\fdecor Curlz MT;}}"};
inline constexpr RtfLiteral rtfColorTable{
    "{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green0\\blue0;"
    "\\red0\\green0\\blue255;}"};
inline constexpr RtfLiteral rtfBodyStart{"\\deflang1033\\pard\\plain\\f2\\fs20\\cf3\\b "};
inline constexpr RtfLiteral rtfHeaderLine{"\\par \\plain\\f2\\fs20\\cf3\\b "};
inline constexpr RtfLiteral rtfPlain{"\\plain\\f2\\fs16"};
inline constexpr RtfLiteral rtfPar{"\\par "};
inline constexpr RtfLiteral rtfEnd{"\\par }"};
inline constexpr RtfLiteral rtfRedBold{"\\par \\plain\\f2\\fs16\\cf2\\b "};
inline constexpr RtfLiteral rtfDashRule{
    "--------------------------------------------------------------------------------"
    "\\plain\\f2\\fs16"};
inline constexpr RtfLiteral rtfEqualsRuleTop{
    "\\par \\plain\\f2\\fs16\\cf2\\b "
    "==================================================================================="};
inline constexpr RtfLiteral rtfEqualsRuleBottom{
    "\\par "
    "==================================================================================="
    "\\plain\\f2\\fs16"};
inline constexpr RtfLiteral rtfGreen{"\\par \\plain\\f2\\fs16\\cf1 "};
inline constexpr RtfLiteral rtfGreenEnd{" \\plain\\f2\\fs16"};
inline constexpr std::string_view rtfStarRule =
    "**********************************************************************************************";
inline constexpr std::string_view rtfBlanks30 = "                              ";

// Section headings.
inline constexpr RtfLiteral heading_procedure{"\\par \\plain\\f2\\fs20\\cf2\\b Procedure"};
inline constexpr RtfLiteral heading_report{"\\par \\plain\\f2\\fs20\\cf2\\b Report\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_macro{"\\par \\plain\\f2\\fs20\\cf2\\b Macro"};
inline constexpr RtfLiteral heading_screen{"\\par \\plain\\f2\\fs20\\cf2\\b Screen\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_description{
    "\\par \\plain\\f2\\fs20\\cf2\\b Description\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_custom_select_attributes{
    "\\par \\plain\\f2\\fs20\\cf2\\b Custom Select Field Attributes\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_custom_select_picture{
    "\\par \\plain\\f2\\fs20\\cf2\\b Custom Select Picture\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_documentation{
    "\\par \\plain\\f2\\fs20\\cf2\\b Documentation \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_other{"\\par Other"};
inline constexpr RtfLiteral heading_selection_fields{
    "\\par \\plain\\f2\\fs20\\cf2\\b Selection Fields \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_selection_relationship_inline{
    "\\par \\plain\\f2\\fs20\\cf2\\b Selection Relationship "};
inline constexpr RtfLiteral heading_report_lines{
    "\\par \\plain\\f2\\fs20\\cf2\\b Report Lines \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_fields{"\\par \\plain\\f2\\fs20\\cf2\\b Fields \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_selection_relationship{
    "\\par \\plain\\f2\\fs20\\cf2\\b Selection Relationship \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_sort_fields{
    "\\par \\plain\\f2\\fs20\\cf2\\b Sort Fields\\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_picture{"\\par \\plain\\f2\\fs20\\cf2\\b Picture \\plain\\f2\\fs16"};
inline constexpr RtfLiteral heading_footnotes{
    "\\par \\plain\\f2\\fs20\\cf2\\b Footnotes\\plain\\f2\\fs16"};

// The words a heading literal shows, without its control words and the blanks around them:
// "Selection Fields" of heading_selection_fields.
std::string_view heading_words(RtfLiteral heading);

// Appends `text` to `out` with every "\", "{" and "}" preceded by a backslash.
void append_escaped(std::string& out, std::string_view text);
// The same, written at `out`, which has room for twice the text; returns the end of what it
// wrote.
char* write_escaped(char* out, std::string_view text);
std::string escape_rtf(std::string_view text);

}  // namespace qlx::conversion
