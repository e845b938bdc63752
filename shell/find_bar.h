#pragma once

#include <QToolBar>

#include "richtext/text_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qlx::shell {

// The find bar at the foot of the main window: the text to find, Next and Previous (Enter
// and Shift+Enter in the field), Match case, Whole words, Find All, and what the last search
// found. Escape closes it.
class FindBar : public QToolBar {
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    QLineEdit* const text;
    QCheckBox* const match_case;
    QCheckBox* const whole_words;
    QLabel* const outcome;  // "No matches", or how the last match was reached

    richtext::SearchOptions options() const;
    // Shows the bar with the field focused and its text selected; `initial`, unless empty,
    // replaces the text first.
    void open(const QString& initial);
    // Hides the bar; closed() follows.
    void close_bar();

signals:
    void next_requested();
    void previous_requested();
    void all_requested();
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qlx::shell
