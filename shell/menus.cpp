#include "shell/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPointer>
#include <QScrollBar>
#include <QTabBar>
#include <QToolBar>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "assets/pictures.h"
#include "dialogs/frm_about.h"
#include "dialogs/more_windows.h"
#include "document/format_commands.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "shell/document_windows.h"
#include "shell/help_window.h"
#include "shell/messages.h"
#include "shell/native_paths.h"
#include "shell/printing.h"
#include "shell/procedures_panel.h"
#include "shell/wait_pointer.h"
#include "shell/window_arrangement.h"

namespace qlx::shell {

namespace {

constexpr double tool_bar_height_twips = 420;
constexpr qsizetype listed_windows = 9;  // the Window menu's entries, with their numbers

// A toolbar button: its key (also its tooltip), its picture's number in imlIcons, and the
// menu entry whose enabled state it shares. A separator has no key.
struct ToolButton {
    const char* key;
    int image;
    QAction* frmMain::*entry;
};

}  // namespace

QAction* frmMain::add_command(QMenu* menu, QAction*& action, const char* name, const QString& text,
                              void (frmMain::*slot)(), const QKeySequence& shortcut) {
    action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    if (slot != nullptr) {
        connect(action, &QAction::triggered, this, slot);
    }
    return action;
}

QAction* frmMain::add_command(QMenu* menu, QAction*& action, const char* name, const QString& text,
                              void (frmMain::*slot)()) {
    return add_command(menu, action, name, text, slot, QKeySequence());
}

void frmMain::create_actions() {
    const auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };

    QAction* entry = nullptr;
    mnuFile = menuBar()->addMenu(tr("&File"));
    add_command(mnuFile, mnuFileNew, "mnuFileNew", tr("&New"), &frmMain::mnuFileNew_Click,
                ctrl(Qt::Key_N));
    add_command(mnuFile, mnuFileOpen, "mnuFileOpen", tr("&Open QLX FIle"),
                &frmMain::mnuFileOpen_Click, ctrl(Qt::Key_O));
    add_command(mnuFile, mnuFileText, "mnuFileText", tr("Open &Text File"),
                &frmMain::mnuFileText_Click);
    // Ctrl+F4 closes the active window, as in every multiple-document program. The key is the
    // document window's own (its window menu's Close), so the menu only shows it: as a second
    // shortcut of the same key, the entry's would leave the key to neither.
    add_command(mnuFile, mnuFileClose, "mnuFileClose", tr("&Close"), &frmMain::mnuFileClose_Click,
                ctrl(Qt::Key_F4))
        ->setShortcutContext(Qt::WidgetShortcut);
    add_command(mnuFile, entry, "mnuFileCompare", tr("Co&mpare Exports..."),
                &frmMain::mnuFileCompare_Click);
    add_command(mnuFile, mnuFilePublish, "mnuFilePublish", tr("Pu&blish as Web Site..."),
                &frmMain::mnuFilePublish_Click);
    separator(mnuFile, "mnuFileBar1");
    add_command(mnuFile, mnuFileSave, "mnuFileSave", tr("&Save"), &frmMain::mnuFileSave_Click,
                ctrl(Qt::Key_S));
    add_command(mnuFile, mnuFileSaveAs, "mnuFileSaveAs", tr("Save &As..."),
                &frmMain::mnuFileSaveAs_Click);
    separator(mnuFile, "mnuFileBar2");
    add_command(mnuFile, mnuFilePageSetup, "mnuFilePageSetup", tr("Page Set&up..."),
                &frmMain::mnuFilePageSetup_Click);
    add_command(mnuFile, mnuFilePrintPreview, "mnuFilePrintPreview", tr("Print Pre&view"),
                &frmMain::mnuFilePrintPreview_Click);
    add_command(mnuFile, mnuFilePrint, "mnuFilePrint", tr("&Print..."),
                &frmMain::mnuFilePrint_Click, ctrl(Qt::Key_P));
    separator(mnuFile, "mnuFileBar4");
    add_command(mnuFile, mnuFileExit, "mnuFileExit", tr("E&xit"), &frmMain::mnuFileExit_Click);
    connect(mnuFile, &QMenu::aboutToShow, this, &frmMain::list_recent_files);
    list_recent_files();

    QMenu* mnuEdit = menuBar()->addMenu(tr("&Edit"));
    add_command(mnuEdit, entry, "mnuEditUndo", tr("&Undo"), &frmMain::mnuEditUndo_Click,
                ctrl(Qt::Key_Z));
    // Ctrl+Y as on Windows, and Ctrl+Shift+Z as elsewhere.
    add_command(mnuEdit, entry, "mnuEditRedo", tr("&Redo"), &frmMain::mnuEditRedo_Click)
        ->setShortcuts({ctrl(Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    separator(mnuEdit, "mnuEditBar0");
    add_command(mnuEdit, mnuEditCut, "mnuEditCut", tr("Cu&t"), &frmMain::mnuEditCut_Click,
                ctrl(Qt::Key_X));
    add_command(mnuEdit, mnuEditCopy, "mnuEditCopy", tr("&Copy"), &frmMain::mnuEditCopy_Click,
                ctrl(Qt::Key_C));
    add_command(mnuEdit, mnuEditPaste, "mnuEditPaste", tr("&Paste"), &frmMain::mnuEditPaste_Click,
                ctrl(Qt::Key_V));
    add_command(mnuEdit, entry, "mnuEditSelectAll", tr("Select &All"),
                &frmMain::mnuEditSelectAll_Click, ctrl(Qt::Key_A));
    add_command(mnuEdit, entry, "mnuEditFind", tr("&Find..."), &frmMain::mnuEditFind_Click,
                ctrl(Qt::Key_F));
    add_command(mnuEdit, entry, "mnuEditFindNext", tr("Find &Next"),
                &frmMain::mnuEditFindNext_Click, QKeySequence(Qt::Key_F3));
    add_command(mnuEdit, entry, "mnuEditFindPrevious", tr("Find Pre&vious"),
                &frmMain::mnuEditFindPrevious_Click, QKeySequence(Qt::SHIFT | Qt::Key_F3));

    QMenu* mnuView = menuBar()->addMenu(tr("&View"));
    add_command(mnuView, entry, "mnuViewZoomIn", tr("Zoom &In"), &frmMain::mnuViewZoomIn_Click)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    add_command(mnuView, entry, "mnuViewZoomOut", tr("Zoom &Out"), &frmMain::mnuViewZoomOut_Click,
                ctrl(Qt::Key_Minus));
    add_command(mnuView, entry, "mnuViewActualSize", tr("&Actual Size"),
                &frmMain::mnuViewActualSize_Click, ctrl(Qt::Key_0));

    QMenu* mnuFormat = menuBar()->addMenu(tr("F&ormat"));
    QAction* mnuFormatFont = nullptr;
    add_command(mnuFormat, mnuFormatFont, "mnuFormatFont", tr("&Font"),
                &frmMain::mnuFormatFont_Click);
    separator(mnuFormat, "mnuFormatBar1");
    add_command(mnuFormat, mnuFormatBold, "mnuFormatBold", tr("&Bold"),
                &frmMain::mnuFormatBold_Click, ctrl(Qt::Key_B));
    add_command(mnuFormat, mnuFormatItalics, "mnuFormatItalics", tr("&Italics"),
                &frmMain::mnuFormatItalics_Click, ctrl(Qt::Key_I));
    add_command(mnuFormat, mnuFormatUnderline, "mnuFormatUnderline", tr("&Underline"),
                &frmMain::mnuFormatUnderline_Click, ctrl(Qt::Key_U));

    mnuWindow = menuBar()->addMenu(tr("&Window"));
    add_command(mnuWindow, mnuWindowNewWindow, "mnuWindowNewWindow", tr("&New Window"),
                &frmMain::mnuWindowNewWindow_Click);
    separator(mnuWindow, "mnuWindowBar1");
    add_command(mnuWindow, entry, "mnuWindowCascade", tr("&Cascade"),
                &frmMain::mnuWindowCascade_Click);
    add_command(mnuWindow, entry, "mnuWindowTileHorizontal", tr("Tile &Horizontal"),
                &frmMain::mnuWindowTileHorizontal_Click);
    add_command(mnuWindow, entry, "mnuWindowTileVertical", tr("Tile &Vertical"),
                &frmMain::mnuWindowTileVertical_Click);
    add_command(mnuWindow, entry, "mnuWindowArrangeIcons", tr("&Arrange Icons"),
                &frmMain::mnuWindowArrangeIcons_Click);
    add_command(mnuWindow, mnuWindowTabbedView, "mnuWindowTabbedView", tr("&Tabbed View"),
                &frmMain::mnuWindowTabbedView_Click);
    mnuWindowTabbedView->setCheckable(true);
    mnuWindowTabbedView->setStatusTip(tr("Shows the documents as tabs"));
    add_command(mnuWindow, mnuWindowProcedures, "mnuWindowProcedures", tr("&Procedures"),
                &frmMain::mnuWindowProcedures_Click);
    mnuWindowProcedures->setCheckable(true);
    mnuWindowProcedures->setStatusTip(tr("Lists the open documents by the file they came from"));
    add_command(mnuWindow, mnuWindowCloseAll, "mnuWindowCloseAll", tr("C&lose All"),
                &frmMain::mnuWindowCloseAll_Click);
    separator(mnuWindow, "mnuWindowBar2");
    add_command(mnuWindow, entry, "mnuWindowNext", tr("Ne&xt Window"),
                &frmMain::mnuWindowNext_Click, ctrl(Qt::Key_F6));
    add_command(mnuWindow, entry, "mnuWindowPrevious", tr("Pre&vious Window"),
                &frmMain::mnuWindowPrevious_Click, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    connect(mnuWindow, &QMenu::aboutToShow, this, &frmMain::list_document_windows);

    QMenu* mnuHelp = menuBar()->addMenu(tr("&Help"));
    add_command(mnuHelp, entry, "mnuHelpContents", tr("&Contents"), &frmMain::mnuHelpContents_Click,
                QKeySequence(Qt::Key_F1));
    add_command(mnuHelp, entry, "mnuHelpSearch", tr("&Search For Help On..."),
                &frmMain::mnuHelpSearch_Click);
    separator(mnuHelp, "mnuHelpBar1");
    add_command(mnuHelp, entry, "mnuHelpAbout", tr("&About qlx_viewer3..."),
                &frmMain::mnuHelpAbout_Click);

    for (auto [menu, name] : {std::pair{mnuFile, "mnuFile"},
                              {mnuEdit, "mnuEdit"},
                              {mnuView, "mnuView"},
                              {mnuFormat, "mnuFormat"},
                              {mnuWindow, "mnuWindow"},
                              {mnuHelp, "mnuHelp"}}) {
        menu->setObjectName(QLatin1String(name));
    }
    create_tool_bar();
}

void frmMain::create_tool_bar() {
    static constexpr std::array<ToolButton, 15> buttons{{
        {"New", 1, &frmMain::mnuFileNew},
        {"Open", 2, &frmMain::mnuFileOpen},
        {"Save", 3, &frmMain::mnuFileSave},
        {nullptr, 0, nullptr},
        {"Print", 4, &frmMain::mnuFilePrint},
        {nullptr, 0, nullptr},
        {"Cut", 5, &frmMain::mnuEditCut},
        {"Copy", 6, &frmMain::mnuEditCopy},
        {"Paste", 7, &frmMain::mnuEditPaste},
        {nullptr, 0, nullptr},
        {"Bold", 8, &frmMain::mnuFormatBold},
        {"Italic", 9, &frmMain::mnuFormatItalics},
        {"Underline", 10, &frmMain::mnuFormatUnderline},
        {nullptr, 0, nullptr},
        {"Find", 11, nullptr},
    }};
    imlIcons = assets::toolbar_pictures();
    tbToolBar = addToolBar(tr("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->toggleViewAction()->setVisible(false);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbToolBar->setFixedHeight(document::twips_to_pixels(tool_bar_height_twips, logicalDpiY()));
    for (const ToolButton& button : buttons) {
        if (button.key == nullptr) {
            tbToolBar->addSeparator();
            continue;
        }
        const QString key = QLatin1String(button.key);
        QAction* action = tbToolBar->addAction(imlIcons.value(button.image - 1), key);
        action->setData(key);
        action->setToolTip(key);
        if (button.entry != nullptr) {
            const QAction* entry = this->*button.entry;
            action->setEnabled(entry->isEnabled());
            connect(entry, &QAction::enabledChanged, action, &QAction::setEnabled);
        }
    }
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::tbToolBar_ButtonClick);
}

void frmMain::tbToolBar_ButtonClick(QAction* button) {
    using Command = void (frmMain::*)();
    static constexpr std::array<std::pair<const char*, Command>, 10> commands{{
        {"New", &frmMain::mnuFileNew_Click},
        {"Open", &frmMain::mnuFileOpen_Click},
        {"Save", &frmMain::mnuFileSave_Click},
        {"Print", &frmMain::mnuFilePrint_Click},
        {"Cut", &frmMain::mnuEditCut_Click},
        {"Copy", &frmMain::mnuEditCopy_Click},
        {"Paste", &frmMain::mnuEditPaste_Click},
        {"Bold", &frmMain::mnuFormatBold_Click},
        {"Italic", &frmMain::mnuFormatItalics_Click},
        {"Underline", &frmMain::mnuFormatUnderline_Click},
    }};
    const QString key = button->data().toString();
    for (const auto& [name, command] : commands) {
        if (key == QLatin1String(name)) {
            (this->*command)();
            return;
        }
    }
    if (key == QLatin1String("Find")) {
        mnuEditFind_Click();
    }
}

void frmMain::list_document_windows() {
    for (QAction* entry : std::exchange(window_list_, {})) {
        mnuWindow->removeAction(entry);
        delete entry;
    }
    const QList<DocumentWindows::Entry> windows = document_windows_->entries();
    if (windows.isEmpty()) {
        return;
    }
    window_list_ << mnuWindow->addSeparator();
    // The first nine, numbered as their access keys; the others through "More Windows...".
    for (qsizetype i = 0; i < std::min<qsizetype>(windows.size(), listed_windows); ++i) {
        const DocumentWindows::Entry& window = windows[i];
        QAction* entry = mnuWindow->addAction(
            QStringLiteral("&%1 ").arg(i + 1) +
            DocumentWindows::caption(window).replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setCheckable(true);
        entry->setChecked(window.window != nullptr && window.window == mdiArea->currentSubWindow());
        connect(entry, &QAction::triggered, this,
                [this, window] { bring_forward(*mdiArea, document_windows_->window(window)); });
        window_list_ << entry;
    }
    if (windows.size() > listed_windows) {
        QAction* more = mnuWindow->addAction(tr("&More Windows..."));
        more->setObjectName(QStringLiteral("mnuWindowMore"));
        connect(more, &QAction::triggered, this, &frmMain::mnuWindowMore_Click);
        window_list_ << more;
    }
}

void frmMain::list_recent_files() {
    for (QAction* entry : std::exchange(recent_list_, {})) {
        mnuFile->removeAction(entry);
        delete entry;
    }
    const QStringList paths = recent_files_.paths();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString shown = message_path(paths[i]);
        auto* entry = new QAction(QStringLiteral("&%1 ").arg(i + 1) +
                                      QFileInfo(display_path(paths[i]))
                                          .fileName()
                                          .replace(QLatin1Char('&'), QStringLiteral("&&")),
                                  mnuFile);
        entry->setObjectName(QStringLiteral("mnuFileRecent%1").arg(i + 1));
        entry->setStatusTip(shown);
        entry->setToolTip(shown);
        entry->setEnabled(!converting_);
        connect(entry, &QAction::triggered, this, [this, path = paths[i]] { open_recent(path); });
        mnuFile->insertAction(mnuFileExit, entry);
        recent_list_ << entry;
    }
    if (!paths.isEmpty()) {
        QAction* bar = mnuFile->insertSeparator(mnuFileExit);
        recent_list_ << bar;
    }
}

void frmMain::open_recent(const QString& path) {
    if (converting_) {
        return;
    }
    std::error_code error;
    if (!std::filesystem::exists(native_path(path), error)) {
        recent_files_.remove(path);
        list_recent_files();
        show_message(this,
                     tr("The file \"%1\" is no longer there; it was taken off the list of recent "
                        "files.")
                         .arg(message_path(path)),
                     MessageKind::problem);
        return;
    }
    open_by_name(path);
}

void frmMain::mnuWindowCloseAll_Click() {
    if (converting_ || closing_all_ || !confirm_close_all()) {
        return;
    }
    // Asked once: the windows close without asking again, and none is shown on the way.
    closing_all_ = true;
    update_menus();
    covered_->set_held(true);
    // At each window that goes, the workspace works out its scroll bars again over every
    // window left, unless it has none: it has none until all are gone.
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // None is active, nor shown, while they close: so none becomes the active one on the way
    // (the workspace would go over every window left each time).
    mdiArea->setActiveSubWindow(nullptr);
    // Those that wait have nothing to ask about or close.
    document_windows_->drop_waiting();
    QList<QPointer<QMdiSubWindow>> windows;
    for (QMdiSubWindow* window : mdiArea->subWindowList()) {
        window->hide();
        windows << window;
    }
    put_workspace_aside(true);
    close_windows(std::move(windows), 0);
}

void frmMain::close_windows(QList<QPointer<QMdiSubWindow>> windows, qsizetype from) {
    // Each window that closes costs the workspace a look at every window left, and so does
    // each one deleted while others are left: thousands take a while, and the events that
    // come meanwhile run between slices of it. The closed windows are deleted once all are
    // closed, when there is none left to look at.
    constexpr qint64 slice_ms = 15;
    QElapsedTimer slice;
    slice.start();
    if (held_deletions_ == nullptr) {
        held_deletions_ = new HeldDeletions(this);
    }
    const bool was_closing = std::exchange(closing_, true);
    for (; from < windows.size() && !slice.hasExpired(slice_ms); ++from) {
        if (QMdiSubWindow* window = windows[from]) {
            window->installEventFilter(held_deletions_);
            window->close();
        }
    }
    closing_ = was_closing;
    if (from == windows.size()) {
        held_deletions_->release(slice_ms - slice.elapsed());
    }
    if (from < windows.size() || held_deletions_->holds()) {
        QMetaObject::invokeMethod(
            this, [this, windows = std::move(windows), from] { close_windows(windows, from); },
            Qt::QueuedConnection);
        return;
    }
    delete std::exchange(held_deletions_, nullptr);
    put_workspace_aside(false);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    closing_all_ = false;
    covered_->set_held(false);
    // With none active on the way, the workspace says nothing when the last one goes.
    describe_active_document();
    update_menus();
}

void frmMain::put_workspace_aside(bool aside) {
    // A workspace out of sight puts off laying out its windows and working out its scroll
    // bars, which it otherwise does over every window left each time one closes: thousands
    // close several times faster without it in the main window. A plain stand-in of its colour
    // holds its place meanwhile (hidden in its place, the workspace would still be asked its
    // size, over every window in it).
    if (aside == (centralWidget() != mdiArea)) {
        return;
    }
    if (aside) {
        auto* stand_in = new QWidget;
        QPalette colours = stand_in->palette();
        colours.setBrush(QPalette::Window, mdiArea->background());
        stand_in->setPalette(colours);
        stand_in->setAutoFillBackground(true);
        takeCentralWidget();
        mdiArea->setParent(this);  // still owned by the main window, and hidden
        setCentralWidget(stand_in);
    } else {
        setCentralWidget(mdiArea);  // deletes the stand-in
        // Aside, it worked out no scroll bars as its windows went: with none left, it needs none.
        if (mdiArea->subWindowList().isEmpty()) {
            mdiArea->horizontalScrollBar()->setRange(0, 0);
            mdiArea->verticalScrollBar()->setRange(0, 0);
        }
        mdiArea->show();
    }
}

void frmMain::mnuWindowProcedures_Click() {
    procedures_panel_->setVisible(mnuWindowProcedures->isChecked());
}

void frmMain::mnuViewZoomIn_Click() {
    if (document::frmDocument* form = active_document()) {
        form->RichTextBox1()->set_zoom(form->RichTextBox1()->zoom_step(true));
    }
}

void frmMain::mnuViewZoomOut_Click() {
    if (document::frmDocument* form = active_document()) {
        form->RichTextBox1()->set_zoom(form->RichTextBox1()->zoom_step(false));
    }
}

void frmMain::mnuViewActualSize_Click() {
    if (document::frmDocument* form = active_document()) {
        form->RichTextBox1()->set_zoom(document::RichTextBox::actual_size);
    }
}

void frmMain::mnuWindowNext_Click() {
    bring_forward(*mdiArea, next_window(*mdiArea, *document_windows_, false));
}

void frmMain::mnuWindowPrevious_Click() {
    bring_forward(*mdiArea, next_window(*mdiArea, *document_windows_, true));
}

void frmMain::mnuWindowMore_Click() {
    const QList<DocumentWindows::Entry> windows = document_windows_->entries();
    QStringList captions;
    for (const DocumentWindows::Entry& window : windows) {
        captions << DocumentWindows::caption(window);
    }
    dialogs::MoreWindowsDialog dialog(
        captions, static_cast<int>(document_windows_->index_of(mdiArea->currentSubWindow())), this);
    if (dialog.exec() == QDialog::Accepted && dialog.chosen() >= 0) {
        bring_forward(*mdiArea, document_windows_->window(windows[dialog.chosen()]));
    }
}

void frmMain::mnuWindowTabbedView_Click() {
    set_tabbed_view(mnuWindowTabbedView->isChecked());
}

void frmMain::set_tabbed_view(bool tabs) {
    mnuWindowTabbedView->setChecked(tabs);
    if (tabs == (mdiArea->viewMode() == QMdiArea::TabbedView)) {
        return;
    }
    // As tabs, Ctrl+Tab and Ctrl+Shift+Tab go to the next and the previous tab, as Ctrl+F6
    // and Ctrl+Shift+F6 do (the workspace's own pass over hidden windows, and as tabs every
    // window but the active one is hidden).
    for (const auto& [name, keys] :
         {std::pair{"mnuWindowNext", QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_F6),
                                                         QKeySequence(Qt::CTRL | Qt::Key_Tab)}},
          std::pair{"mnuWindowPrevious",
                    QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
                                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}}}) {
        if (auto* command = findChild<QAction*>(QLatin1String(name))) {
            command->setShortcuts(tabs ? keys : keys.first(1));
        }
    }
    // When the active window closes, the workspace looks for the next one to make active
    // among those shown. As tabs none is (the window on top is made active then), and
    // looking in the stacking order goes over every window for each one.
    mdiArea->setActivationOrder(tabs ? QMdiArea::CreationOrder : QMdiArea::StackingOrder);
    const QList<QMdiSubWindow*> windows = mdiArea->subWindowList();
    if (tabs) {
        // Each document has its tab, in the documents' order (windows made from entries came
        // after the others in the workspace's): the windows are taken out, the workspace
        // becomes tabs, and all come back in order, those that wait made. Each one's place and
        // state are kept, to come back to when the tabs go.
        const WaitPointer waiting;
        QMdiSubWindow* const active = mdiArea->currentSubWindow();
        arrangement_.clear();
        std::optional<TabBatch> batch;
        document_windows_->add_all_again(
            [&] {
                mdiArea->setViewMode(QMdiArea::TabbedView);
                QTabBar* tab_bar = workspace_tabs(*mdiArea);
                if (tab_bar == nullptr) {
                    return;
                }
                tab_bar->setUsesScrollButtons(true);
                tab_bar->setElideMode(Qt::ElideNone);  // whole captions, scrolled
                tab_bar->setExpanding(false);
                // The current tab closes its window.
                close_button_on_current_tab(*mdiArea, *tab_bar);
                batch.emplace(*mdiArea);
            },
            [&](QMdiSubWindow* window, const QRect& place, Qt::WindowStates state) {
                arrangement_.push_back({window, {place, state}});
                if (batch) {
                    batch->added();
                }
            });
        batch.reset();  // every tab shown, laid out once
        // Each came back hidden: each one is shown again when the tabs go and nothing covers
        // it (one whose closing was refused, too).
        for (QMdiSubWindow* window : mdiArea->subWindowList()) {
            covered_->may_show(window);
        }
        if (active != nullptr) {
            bring_forward(*mdiArea, active);
        }
        // A window hidden under the others comes forward when its tab becomes the current one
        // (clicked, or chosen with the keys or the wheel: the workspace passes over hidden
        // windows). Not as it is clicked: that makes the tabs scroll under the mouse before
        // the tab bar has worked out which one it pressed. Nor while an export opens as tabs.
        if (QTabBar* tab_bar = workspace_tabs(*mdiArea)) {
            connect(tab_bar, &QTabBar::currentChanged, this, [this](int index) {
                const QList<QMdiSubWindow*> listed = mdiArea->subWindowList();
                if (!converting_ && index >= 0 && index < listed.size() &&
                    listed[index]->isHidden()) {
                    bring_forward(*mdiArea, listed[index]);
                }
            });
        }
        covered_->update();
        return;
    }
    QMdiSubWindow* const active = mdiArea->currentSubWindow();
    mdiArea->setViewMode(QMdiArea::SubWindowView);
    for (QMdiSubWindow* window : windows) {
        const auto kept = std::ranges::find(arrangement_, window,
                                            [](const auto& entry) { return entry.first.data(); });
        if (kept == arrangement_.end()) {
            window->showNormal();  // opened while the documents were tabs
            continue;
        }
        // Its normal place first: minimised or maximised, it goes back there when restored.
        // (Only those two states change: the active window stays active.)
        const Qt::WindowStates others =
            window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        window->setWindowState(others);
        window->setGeometry(kept->second.geometry);
        window->setWindowState(others | kept->second.state);
    }
    arrangement_.clear();
    if (active != nullptr) {
        mdiArea->setActiveSubWindow(active);
    }
    covered_->update();
}

void frmMain::mnuFilePrint_Click() {
    print_document(active_document(), this, page_layout_);
}

void frmMain::mnuFilePageSetup_Click() {
    set_up_page(page_layout_, this);
}

void frmMain::mnuFilePrintPreview_Click() {
    preview_document(active_document(), this, page_layout_);
}

void frmMain::mnuEditCut_Click() {
    document::cut_selection(active_document());
}

void frmMain::mnuEditCopy_Click() {
    document::copy_selection(active_document());
}

void frmMain::mnuEditPaste_Click() {
    document::paste_text(active_document());
}

void frmMain::mnuEditUndo_Click() {
    document::undo_edit(active_document());
}

void frmMain::mnuEditRedo_Click() {
    document::redo_edit(active_document());
}

void frmMain::mnuEditSelectAll_Click() {
    document::select_all(active_document());
}

void frmMain::mnuFormatFont_Click() {
    document::choose_font(active_document(), this);
}

void frmMain::mnuFormatBold_Click() {
    document::toggle_bold(active_document());
}

void frmMain::mnuFormatItalics_Click() {
    document::toggle_italic(active_document());
}

void frmMain::mnuFormatUnderline_Click() {
    document::toggle_underline(active_document());
}

void frmMain::mnuWindowCascade_Click() {
    if (mdiArea->viewMode() == QMdiArea::SubWindowView) {
        arrange(*mdiArea, *document_windows_, Arrangement::cascade);
        covered_->update();
    }
}

void frmMain::mnuWindowTileHorizontal_Click() {
    if (mdiArea->viewMode() == QMdiArea::SubWindowView) {
        arrange(*mdiArea, *document_windows_, Arrangement::tile_horizontal);
        covered_->update();
    }
}

void frmMain::mnuWindowTileVertical_Click() {
    if (mdiArea->viewMode() == QMdiArea::SubWindowView) {
        arrange(*mdiArea, *document_windows_, Arrangement::tile_vertical);
        covered_->update();
    }
}

void frmMain::mnuWindowArrangeIcons_Click() {
    if (mdiArea->viewMode() == QMdiArea::SubWindowView) {
        arrange(*mdiArea, *document_windows_, Arrangement::arrange_icons);
        covered_->update();
    }
}

HelpWindow* frmMain::show_help(const QString& page) {
    if (help_window_ == nullptr) {
        help_window_ = new HelpWindow(this);
    }
    help_window_->show_page(page);
    help_window_->show();
    help_window_->raise();
    help_window_->activateWindow();
    return help_window_;
}

void frmMain::mnuHelpContents_Click() {
    const QString page = help_page_of(QApplication::focusWidget());
    show_help(page.isEmpty() ? QString::fromLatin1(help_page::contents) : page);
}

void frmMain::mnuHelpSearch_Click() {
    show_help(QString())->start_search();
}

void frmMain::mnuHelpAbout_Click() {
    dialogs::frmAbout about(this);
    about.exec();
}

}  // namespace qlx::shell
