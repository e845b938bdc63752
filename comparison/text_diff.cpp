#include "comparison/text_diff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <utility>

namespace qlx::comparison {

namespace {

// The edit script of two sequences: for each element, where it stands in the old and in the
// new sequence (from 1; 0 where it is not there).
struct Step {
    LineChange change;
    std::size_t old_index;
    std::size_t new_index;
};

std::vector<Step> edit_script(const std::vector<std::string_view>& a,
                              const std::vector<std::string_view>& b) {
    std::vector<Step> steps;
    if (a.empty() || b.empty()) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            steps.push_back({LineChange::removed, i + 1, 0});
        }
        for (std::size_t i = 0; i < b.size(); ++i) {
            steps.push_back({LineChange::added, 0, i + 1});
        }
        return steps;
    }
    dtl::Diff<std::string_view, std::vector<std::string_view>> diff(a, b);
    diff.onHuge();
    diff.compose();
    const auto sequence = diff.getSes().getSequence();
    steps.reserve(sequence.size());
    for (const auto& [element, info] : sequence) {
        const auto old_index = static_cast<std::size_t>(info.beforeIdx);
        const auto new_index = static_cast<std::size_t>(info.afterIdx);
        switch (info.type) {
            case dtl::SES_DELETE:
                steps.push_back({LineChange::removed, old_index, 0});
                break;
            case dtl::SES_ADD:
                steps.push_back({LineChange::added, 0, new_index});
                break;
            default:
                steps.push_back({LineChange::same, old_index, new_index});
                break;
        }
    }
    // Within each run of changes, the removed lines first, as diff prints them.
    for (auto run = steps.begin(); run != steps.end();) {
        if (run->change == LineChange::same) {
            ++run;
            continue;
        }
        const auto end = std::find_if(
            run, steps.end(), [](const Step& step) { return step.change == LineChange::same; });
        std::stable_partition(run, end,
                              [](const Step& step) { return step.change == LineChange::removed; });
        run = end;
    }
    return steps;
}

bool is_word_byte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}

// A line cut into words, runs of blanks, and single other signs.
std::vector<std::string_view> tokens_of(std::string_view line) {
    std::vector<std::string_view> tokens;
    for (std::size_t at = 0; at < line.size();) {
        const auto c = static_cast<unsigned char>(line[at]);
        std::size_t end = at + 1;
        if (is_word_byte(c)) {
            while (end < line.size() && is_word_byte(static_cast<unsigned char>(line[end]))) {
                ++end;
            }
        } else if (c == ' ' || c == '\t') {
            while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) {
                ++end;
            }
        }
        tokens.push_back(line.substr(at, end - at));
        at = end;
    }
    return tokens;
}

// Adds a token's range to the spans, joined to the last one when they touch.
void add_span(std::vector<Span>& spans, std::string_view line, std::string_view token) {
    const auto start = static_cast<std::size_t>(token.data() - line.data());
    if (!spans.empty() && spans.back().start + spans.back().length == start) {
        spans.back().length += token.size();
    } else {
        spans.push_back({start, token.size()});
    }
}

// Changed words with only blanks between them read as one change.
void join_across_blanks(std::vector<Span>& spans, std::string_view line) {
    std::vector<Span> joined;
    for (const Span& span : spans) {
        if (!joined.empty()) {
            Span& last = joined.back();
            const std::string_view gap =
                line.substr(last.start + last.length, span.start - (last.start + last.length));
            if (gap.find_first_not_of(" \t") == std::string_view::npos) {
                last.length = span.start + span.length - last.start;
                continue;
            }
        }
        joined.push_back(span);
    }
    spans = std::move(joined);
}

}  // namespace

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::vector<DiffLine> diff_lines(const std::vector<std::string_view>& old_lines,
                                 const std::vector<std::string_view>& new_lines) {
    std::vector<DiffLine> lines;
    const std::vector<Step> steps = edit_script(old_lines, new_lines);
    lines.reserve(steps.size());
    for (const Step& step : steps) {
        const std::string_view text =
            step.old_index != 0 ? old_lines[step.old_index - 1] : new_lines[step.new_index - 1];
        lines.push_back({step.change, step.old_index, step.new_index, text});
    }
    return lines;
}

std::vector<Hunk> hunks_of(const std::vector<DiffLine>& lines, std::size_t context) {
    std::vector<Hunk> hunks;
    const std::size_t count = lines.size();
    for (std::size_t at = 0; at < count;) {
        if (lines[at].change == LineChange::same) {
            ++at;
            continue;
        }
        // A change: its hunk starts `context` lines before and runs on while the next change
        // is at most twice the context away.
        const std::size_t first = at > context ? at - context : 0;
        std::size_t last_change = at;
        std::size_t next = at;
        while (next < count) {
            if (lines[next].change != LineChange::same) {
                last_change = next;
                ++next;
                continue;
            }
            if (next - last_change > 2 * context) {
                break;
            }
            ++next;
        }
        const std::size_t end = std::min(count, last_change + 1 + context);
        Hunk hunk;
        hunk.lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(first),
                          lines.begin() + static_cast<std::ptrdiff_t>(end));
        // Where the hunk stands in each text: its first line of that text, or when it holds
        // none, the line before (as diff numbers an empty range).
        std::size_t old_before = 0;
        std::size_t new_before = 0;
        for (std::size_t i = first; i-- > 0;) {
            if (old_before == 0 && lines[i].old_line != 0) {
                old_before = lines[i].old_line;
            }
            if (new_before == 0 && lines[i].new_line != 0) {
                new_before = lines[i].new_line;
            }
            if (old_before != 0 && new_before != 0) {
                break;
            }
        }
        for (const DiffLine& line : hunk.lines) {
            if (line.old_line != 0) {
                hunk.old_start = hunk.old_count == 0 ? line.old_line : hunk.old_start;
                ++hunk.old_count;
            }
            if (line.new_line != 0) {
                hunk.new_start = hunk.new_count == 0 ? line.new_line : hunk.new_start;
                ++hunk.new_count;
            }
        }
        if (hunk.old_count == 0) {
            hunk.old_start = old_before;
        }
        if (hunk.new_count == 0) {
            hunk.new_start = new_before;
        }
        hunks.push_back(std::move(hunk));
        at = end;
    }
    return hunks;
}

std::string unified_diff(std::string_view old_header, std::string_view new_header,
                         const std::vector<Hunk>& hunks) {
    if (hunks.empty()) {
        return {};
    }
    std::string out;
    out.append("--- ").append(old_header).append("\n");
    out.append("+++ ").append(new_header).append("\n");
    const auto range = [](std::size_t start, std::size_t count) {
        return count == 1 ? std::to_string(start)
                          : std::to_string(start) + "," + std::to_string(count);
    };
    for (const Hunk& hunk : hunks) {
        out.append("@@ -").append(range(hunk.old_start, hunk.old_count));
        out.append(" +").append(range(hunk.new_start, hunk.new_count)).append(" @@\n");
        for (const DiffLine& line : hunk.lines) {
            out += line.change == LineChange::same      ? ' '
                   : line.change == LineChange::removed ? '-'
                                                        : '+';
            out.append(line.text).append("\n");
        }
    }
    return out;
}

WordChanges changed_words(std::string_view old_line, std::string_view new_line) {
    const std::vector<std::string_view> old_tokens = tokens_of(old_line);
    const std::vector<std::string_view> new_tokens = tokens_of(new_line);
    WordChanges changes;
    for (const Step& step : edit_script(old_tokens, new_tokens)) {
        if (step.change == LineChange::removed) {
            add_span(changes.removed, old_line, old_tokens[step.old_index - 1]);
        } else if (step.change == LineChange::added) {
            add_span(changes.added, new_line, new_tokens[step.new_index - 1]);
        }
    }
    join_across_blanks(changes.removed, old_line);
    join_across_blanks(changes.added, new_line);
    return changes;
}

std::vector<SideBySideRow> side_by_side(const std::vector<DiffLine>& lines) {
    std::vector<SideBySideRow> rows;
    for (std::size_t at = 0; at < lines.size();) {
        if (lines[at].change == LineChange::same) {
            rows.push_back({&lines[at], &lines[at], {}});
            ++at;
            continue;
        }
        // A change: its removed lines, then its added ones.
        std::size_t removed_end = at;
        while (removed_end < lines.size() && lines[removed_end].change == LineChange::removed) {
            ++removed_end;
        }
        std::size_t added_end = removed_end;
        while (added_end < lines.size() && lines[added_end].change == LineChange::added) {
            ++added_end;
        }
        const std::size_t removed = removed_end - at;
        const std::size_t added = added_end - removed_end;
        for (std::size_t i = 0; i < std::max(removed, added); ++i) {
            SideBySideRow row;
            row.old_line = i < removed ? &lines[at + i] : nullptr;
            row.new_line = i < added ? &lines[removed_end + i] : nullptr;
            if (row.old_line != nullptr && row.new_line != nullptr) {
                row.words = changed_words(row.old_line->text, row.new_line->text);
            }
            rows.push_back(std::move(row));
        }
        at = added_end;
    }
    return rows;
}

}  // namespace qlx::comparison
