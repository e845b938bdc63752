#include "document/text_finder.h"

#include <QTextCursor>
#include <QTextDocument>

#include "document/rich_text_box.h"

namespace qlx::document {

FindOutcome find_in_box(RichTextBox& box, const QString& text, richtext::SearchOptions options,
                        bool backward) {
    if (text.isEmpty()) {
        return FindOutcome::none;
    }
    box.load_deferred();
    QTextDocument::FindFlags flags;
    flags.setFlag(QTextDocument::FindCaseSensitively, options.match_case);
    flags.setFlag(QTextDocument::FindWholeWords, options.whole_words);
    flags.setFlag(QTextDocument::FindBackward, backward);
    QTextDocument& document = *box.document();
    const QTextCursor from = box.textCursor();
    FindOutcome outcome = FindOutcome::found;
    QTextCursor found = document.find(text, from, flags);
    if (found.isNull()) {
        QTextCursor other_end(&document);
        other_end.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        found = document.find(text, other_end, flags);
        outcome = FindOutcome::wrapped;
    }
    if (found.isNull()) {
        return FindOutcome::none;
    }
    box.setTextCursor(found);
    box.ensureCursorVisible();
    return outcome;
}

}  // namespace qlx::document
