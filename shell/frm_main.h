#pragma once

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPageLayout>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/diagnostics.h"
#include "shell/common_dialog.h"
#include "shell/recent_files.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeySequence;
class QMoveEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QUrl;

namespace qlx::conversion {
struct ConversionReport;
}

namespace qlx::document {
class frmDocument;
}

namespace qlx::dialogs {
class frmStatus;
}

namespace qlx::shell {

struct WaitingWindow;
class CoveredWindows;
class DocumentWindows;
class HeldDeletions;
class FindBar;
class FindResults;
class HelpWindow;
class ProceduresPanel;

// The main window: a workspace of document windows under the menu bar and the toolbar, with a
// status bar.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain();
    ~frmMain() override;

    // Start-up: restores the placement, shows the window, makes sure the folder of converted
    // documents exists and opens the file the arguments name (the program's arguments without
    // the program's name).
    void MDIForm_Load(const QStringList& arguments);
    // Shutdown, when the window closes: saves the placement unless the window is minimised.
    void MDIForm_Unload();

    // Each argument is the path of a file to open, in turn (see native_paths.h for the form
    // of paths).
    void check_command_line(const QStringList& arguments);
    // Opens a file for viewing: an export is converted into one document window per procedure,
    // in export order; any other regular file is shown as it is (as RTF when its name ends in
    // ".rtf"). Failures and damage are reported in a message box naming the file.
    void openfile(const QString& path);
    // Opens files as File > Open would, one after another (dropped files, the command line).
    void open_files(const QStringList& paths);
    // Opens a new empty document window captioned "Document n".
    void new_document();

    // The document window the commands act on: the active one, or the one last active while
    // the main window itself is not; nullptr when none is open.
    document::frmDocument* active_document() const;
    // Every document window in its order, made or waiting to be made.
    DocumentWindows& document_windows() const { return *document_windows_; }
    // An export of more procedures than this opens with only the windows of its last ones
    // made; the others wait until reached (see DocumentWindows).
    void set_windows_made_at_once(std::size_t count) { made_at_once_ = count; }

    // Whether a conversion is running (file commands wait until it ends).
    bool converting() const { return converting_; }
    // The viewer's folder, where each conversion makes a folder for its documents, or why
    // there is no such folder.
    const std::expected<std::filesystem::path, conversion::FileError>& output_folder() const {
        return output_folder_;
    }

    // Shows a published site; the desktop's browser unless set (tests). False when it could
    // not be shown.
    std::function<bool(const QUrl& url)> open_in_browser;
    // The one file dialog of the program.
    CommonDialog dlgCommonDialog;
    // New empty documents created in this run; numbers are never reused.
    int document_number = 0;

public slots:
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileText_Click();
    void mnuFileClose_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileExit_Click();
    void mnuFilePrint_Click();
    // The page's orientation and margins for Print and Print Preview.
    void mnuFilePageSetup_Click();
    void mnuFilePrintPreview_Click();
    // Compares two exports chosen in turn, in a window of the workspace.
    void mnuFileCompare_Click();
    // Publishes the export of the active window (or one chosen) as a web site in a folder
    // chosen, then opens the site in the browser.
    void mnuFilePublish_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditUndo_Click();
    void mnuEditRedo_Click();
    void mnuEditSelectAll_Click();
    // Opens the find bar; Find Next and Find Previous (F3, Shift+F3) search again.
    void mnuEditFind_Click();
    void mnuEditFindNext_Click();
    void mnuEditFindPrevious_Click();
    void mnuFormatFont_Click();
    void mnuFormatBold_Click();
    void mnuFormatItalics_Click();
    void mnuFormatUnderline_Click();
    void mnuWindowNewWindow_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void mnuWindowArrangeIcons_Click();
    // A dialog of every document window, to choose one from.
    void mnuWindowMore_Click();
    void mnuWindowTabbedView_Click();
    // Closes every document window, asking once about the edited ones.
    void mnuWindowCloseAll_Click();
    void mnuWindowNext_Click();
    void mnuWindowPrevious_Click();
    // Shows or hides the Procedures panel.
    void mnuWindowProcedures_Click();
    // Zoom the active document's view in and out, and back to its actual size.
    void mnuViewZoomIn_Click();
    void mnuViewZoomOut_Click();
    void mnuViewActualSize_Click();
    // The help window, at the page of the place the keyboard is in (F1), or searching.
    void mnuHelpContents_Click();
    void mnuHelpSearch_Click();
    void mnuHelpAbout_Click();
    // Compares two exports procedure by procedure and shows the comparison in a window;
    // files that cannot be compared are reported.
    void compare_exports(const QString& old_path, const QString& new_path);
    // Publishes an export as a web site in this folder, with the progress in the status
    // window (Escape stops it and leaves no site); failures are reported.
    void publish_export(const QString& export_path, const QString& folder);
    // Opens the file of a recent-files entry; one that has gone leaves the list.
    void open_recent(const QString& path);
    // Runs the command of a toolbar button, chosen by the button's key ("New", "Open", ...).
    void tbToolBar_ButtonClick(QAction* button);

protected:
    // Asks once about all edited documents before anything closes; Cancel keeps it all open.
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    // Files dropped anywhere on the window are opened; text dropped on a document is text.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Builds the menu bar and the toolbar.
    void create_actions();
    // Adds a menu entry; `slot` may be nullptr for an entry that does nothing.
    QAction* add_command(QMenu* menu, QAction*& action, const char* name, const QString& text,
                         void (frmMain::*slot)(), const QKeySequence& shortcut);
    QAction* add_command(QMenu* menu, QAction*& action, const char* name, const QString& text,
                         void (frmMain::*slot)());
    void create_tool_bar();
    // The find bar and the results panel of Find All.
    void create_find();
    // Lists the document windows at the end of the Window menu, the active one checked.
    void list_document_windows();
    // Lists the recent files in the File menu, above Exit.
    void list_recent_files();
    // The first status-bar panel: where the active document came from.
    void describe_active_document();
    // The find bar's search in the active document, forwards or backwards.
    void find_in_active_document(bool backward);
    // Lists every match in every document in the results panel.
    void find_in_all_documents();
    // Activates a window and selects a place Find All found there.
    void show_found(QMdiSubWindow* window, std::size_t line, std::size_t column,
                    std::size_t length);
    void create_status_bar();
    // Shows the help window at this page (its first when there is no such page).
    HelpWindow* show_help(const QString& page);
    // Enables and disables the commands after anything they depend on changed.
    void update_menus();
    // The settings store's placement (the frame's rectangle in pixels, not maximised), whether
    // the window was maximised, and the view.
    struct Settings {
        QRect frame;
        bool tabbed_view = false;
        bool procedures_panel = false;
        bool maximised = false;
    };
    Settings read_settings() const;
    // Keeps the view, and the placement too unless `placement` is false.
    void write_settings(bool placement = true);
    // Shows the documents as tabs, or as windows again in the places they had.
    void set_tabbed_view(bool tabs);
    // Places the window's frame (in pixels). Until the window manager has framed the window,
    // its borders are unknown: the frame is then placed again once they are.
    void place_frame(const QRect& frame);

    // Creates a document window with its caption (and its size, when given); it is shown by
    // show_document.
    document::frmDocument* create_document(const QString& caption, QSize size = {});
    void show_document(document::frmDocument* form);
    // Makes the window of a procedure that waited (see DocumentWindows), hidden.
    QMdiSubWindow* make_waiting_window(WaitingWindow& waiting);
    // Shows a file that is not converted in a new window: as RTF when its name ends in ".rtf",
    // otherwise as text.
    void open_unconverted(const QString& path);
    // Shows a file as plain text in a new window. A file whose start holds NUL bytes is opened
    // only when the user says so. The file is read and the document filled on a thread of
    // their own, with the progress in the status window; Escape stops it and leaves no
    // window.
    void open_plain_file(const QString& path);
    // Whether opening `path` must wait for a file being opened (the message then is
    // `while_converting`, with the path for %1) or for Close All; the user is told so.
    bool must_wait_to_open(const QString& path, const QString& while_converting);
    // True unless something other than a regular file stands at the path, which it then
    // reports; a missing file is left to the opening to report.
    bool is_regular_file_or_missing(const QString& path);
    // Shows an ".rtf" file directly, converts or shows anything else.
    void open_by_name(const QString& path);
    // Opens the local files among dropped URLs, once the drop is over.
    void open_dropped(const QList<QUrl>& urls);
    void save_active_document();
    // Asks for a name and saves the document there; true when it was saved.
    bool save_document(document::frmDocument* form);
    // Sets the name and the folder the save dialog starts with for this document.
    void suggest_save_name(const document::frmDocument& form);
    // Whether an edited document may close: asks to save it first (Save, Discard, Cancel).
    bool confirm_close(document::frmDocument& form);
    // Whether all documents may close: asks once about all edited ones.
    bool confirm_close_all();
    // Closes these windows (Close All's, already asked about) from `from` on, for a slice of
    // time, and the rest once the events that came meanwhile have run.
    void close_windows(QList<QPointer<QMdiSubWindow>> windows, qsizetype from);
    // Takes the workspace out of the main window, with a stand-in in its place, or puts it back.
    void put_workspace_aside(bool aside);

    struct ConvertedExport;
    void convert_export_file(const QString& path, std::uint64_t size);
    // Reads and converts the export into a folder of its own, showing the progress in the
    // status window. The error is the reason for people to read, empty when the conversion
    // was cancelled.
    std::expected<ConvertedExport, QString> convert_with_progress(const QString& path,
                                                                  dialogs::frmStatus& status);
    // Opens one window per document, each showing what this conversion wrote (and knowing its
    // outline), with the progress in the status window; stops when the opening is cancelled.
    void open_converted_documents(const QString& path, ConvertedExport& converted,
                                  dialogs::frmStatus& status);

    QMdiArea* mdiArea;
    // Every document window in its order, those still waiting to be made too.
    DocumentWindows* document_windows_ = nullptr;
    // Hides the document windows that lie wholly under others, and shows them when reached.
    CoveredWindows* covered_ = nullptr;
    HeldDeletions* held_deletions_ = nullptr;  // Close All's closed windows, while it runs
    QMenu* mnuFile = nullptr;
    QMenu* mnuWindow = nullptr;
    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileText = nullptr;
    QAction* mnuFilePublish = nullptr;
    QAction* mnuFileClose = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFilePageSetup = nullptr;
    QAction* mnuFilePrintPreview = nullptr;
    QAction* mnuFilePrint = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuEditCut = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuFormatBold = nullptr;
    QAction* mnuFormatItalics = nullptr;
    QAction* mnuFormatUnderline = nullptr;
    QAction* mnuWindowNewWindow = nullptr;
    QAction* mnuWindowTabbedView = nullptr;
    // Where each window was, and how, before the documents became tabs.
    struct KeptPlace {
        QRect geometry;
        Qt::WindowStates state;
    };
    std::vector<std::pair<QPointer<QMdiSubWindow>, KeptPlace>> arrangement_;
    QList<QAction*> window_list_;  // the Window menu's entries for the document windows
    QList<QAction*> recent_list_;  // the File menu's entries for the recent files
    QAction* mnuWindowCloseAll = nullptr;
    QLabel* status_text = nullptr;
    QLabel* status_zoom = nullptr;
    QPageLayout page_layout_;  // as Page Setup left it; invalid: the printer's own
    QAction* mnuWindowProcedures = nullptr;
    ProceduresPanel* procedures_panel_ = nullptr;
    FindBar* find_bar_ = nullptr;
    HelpWindow* help_window_ = nullptr;  // made when first asked for
    FindResults* find_results_ = nullptr;
    // Tells the thread that works out the search texts of waiting documents to stop.
    std::shared_ptr<std::atomic<bool>> stop_preparing_ = std::make_shared<std::atomic<bool>>(false);
    QToolBar* tbToolBar = nullptr;
    QList<QIcon> imlIcons;  // the toolbar's pictures; the toolbar numbers them from 1
    QLabel* status_date = nullptr;
    QLabel* status_time = nullptr;

    std::expected<std::filesystem::path, conversion::FileError> output_folder_;
    QSize outer_size_to_place_;  // invalid once placed with the borders known
    std::size_t made_at_once_ = 200;
    bool converting_ = false;
    bool cancel_requested_ = false;
    bool closing_ = false;      // all documents may close without asking again
    bool closing_all_ = false;  // Close All's windows are closing, a slice at a time
    RecentFiles recent_files_;
};

}  // namespace qlx::shell
