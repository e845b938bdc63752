#pragma once

#include <QDialog>

class QLabel;

namespace qlx::dialogs {

// The progress window of a conversion: three lines of text that the converting code writes.
// From the top: Label3 the phase, Label2 the path (two lines high), Label1 the progress.
// Modeless; the program goes on while it is shown.
class frmStatus : public QDialog {
    Q_OBJECT

public:
    explicit frmStatus(QWidget* owner);

    QLabel* const Label1;
    QLabel* const Label2;
    QLabel* const Label3;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace qlx::dialogs
