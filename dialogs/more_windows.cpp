#include "dialogs/more_windows.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace qlx::dialogs {

MoreWindowsDialog::MoreWindowsDialog(const QStringList& captions, int current, QWidget* owner)
    : QDialog(owner), filter(new QLineEdit), windows(new QListWidget) {
    setWindowTitle(tr("More Windows"));
    filter->setObjectName(QStringLiteral("filter"));
    filter->setPlaceholderText(tr("Type part of a window's name"));
    filter->setClearButtonEnabled(true);
    filter->installEventFilter(this);
    windows->setObjectName(QStringLiteral("windows"));
    for (int i = 0; i < captions.size(); ++i) {
        auto* item = new QListWidgetItem(captions[i], windows);
        item->setData(Qt::UserRole, i);
    }
    windows->setCurrentRow(current >= 0 && current < captions.size() ? current : 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* label = new QLabel(tr("&Select window:"));
    label->setBuddy(filter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(filter);
    layout->addWidget(windows);
    layout->addWidget(buttons);
    connect(filter, &QLineEdit::textChanged, this, &MoreWindowsDialog::narrow);
    connect(windows, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(sizeHint().width() * 2, sizeHint().height());
    filter->setFocus();
}

int MoreWindowsDialog::chosen() const {
    const QListWidgetItem* item = windows->currentItem();
    return item != nullptr && !item->isHidden() ? item->data(Qt::UserRole).toInt() : -1;
}

bool MoreWindowsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QApplication::sendEvent(windows, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MoreWindowsDialog::narrow(const QString& text) {
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < windows->count(); ++row) {
        QListWidgetItem* item = windows->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
        if (first == nullptr && !item->isHidden()) {
            first = item;
        }
    }
    QListWidgetItem* current = windows->currentItem();
    if (current == nullptr || current->isHidden()) {
        windows->setCurrentItem(first);
    }
}

}  // namespace qlx::dialogs
