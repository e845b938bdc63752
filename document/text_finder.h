#pragma once

#include <QString>

#include "richtext/text_search.h"

namespace qlx::document {

class RichTextBox;

enum class FindOutcome {
    found,    // after (before) the selection
    wrapped,  // only from the other end of the text
    none,     // nowhere
};

// Selects the next match of `text` after the selection (before it when `backward`), going
// round from the other end of the text once, and scrolls it into view. Builds the box's text
// if it waits. Nothing found leaves the selection as it was.
FindOutcome find_in_box(RichTextBox& box, const QString& text, richtext::SearchOptions options,
                        bool backward);

}  // namespace qlx::document
