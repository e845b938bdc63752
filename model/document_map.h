#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qlx::conversion {

// A heading of a converted document: an item's (report, macro, screen) or a section's.
struct OutlineHeading {
    std::string text;  // as the document shows it, export bytes (Windows-1252)
    // 1 for an item and for a section of the procedure itself (its description), 2 for a
    // section of an item.
    int level = 1;
    // The heading's paragraph, counted from 0: its line in the document's text.
    std::size_t paragraph = 0;

    friend bool operator==(const OutlineHeading&, const OutlineHeading&) = default;
};

// What the conversion knows of where things are in one of its documents.
struct DocumentMap {
    // The export's header, at the top of every document: the bytes of RTF up to the end of its
    // last line (the document's prologue included), and its paragraphs.
    std::size_t header_bytes = 0;
    std::size_t header_paragraphs = 0;
    // Its headings in document order.
    std::vector<OutlineHeading> outline;
};

}  // namespace qlx::conversion
