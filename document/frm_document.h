#pragma once

#include <QWidget>

class QResizeEvent;

namespace qlx::document {

class RichTextBox;

// A document window: one RichTextBox inside a child window of the main window, filling the
// interior with a margin of 50 twips on every side. Its creator sets the caption, fills the
// control and shows the window.
class frmDocument : public QWidget {
    Q_OBJECT

public:
    explicit frmDocument(QWidget* parent = nullptr);

    RichTextBox* const RichTextBox1;  // owned by the window

    // Lays out the control once, so that it has its final geometry before the window shows.
    void Form_Load();
    // Moves the control to 50 twips from the interior's edges; an interior too small for
    // that (a minimised window) leaves the control where it was.
    void Form_Resize();

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace qlx::document
