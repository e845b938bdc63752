#include "shell/frm_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMoveEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include <utility>

#include "assets/assets.h"
#include "document/frm_document.h"
#include "document/rich_text_box.h"
#include "document/twips.h"
#include "files/output_folders.h"
#include "shell/document_windows.h"
#include "shell/help_window.h"
#include "shell/messages.h"
#include "shell/placement.h"
#include "shell/procedures_panel.h"
#include "shell/window_arrangement.h"

namespace qlx::shell {

namespace {

// The settings store of the program: application "QLX Viewer". (Qt keys a store by
// organisation and application; the program's title serves as both.)
QString settings_name() {
    return QString::fromLatin1(application_title);
}

// Beside the placement: whether the documents are shown as tabs.
constexpr const char* tabbed_view_key = "Settings/TabbedView";
constexpr const char* procedures_panel_key = "Settings/ProceduresPanel";
// Whether the window was maximised; the placement is then the one it is restored to.
constexpr const char* maximised_key = "Settings/MainMaximized";

bool has_local_files(const QMimeData* mime) {
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            return true;
        }
    }
    return false;
}

QList<QRect> screen_areas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    return areas;
}

}  // namespace

frmMain::frmMain()
    : dlgCommonDialog(this),
      mdiArea(new QMdiArea),
      output_folder_(std::unexpected(conversion::FileError{})),
      recent_files_(settings_name()) {
    assets::register_assets();
    share_title_bar_pictures();
    setWindowTitle(QStringLiteral("Tarnwell QLX Viewer"));
    setWindowIcon(assets::application_icon());
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // When the active window closes, the one on top (rather than the next one made) becomes
    // the active one.
    mdiArea->setActivationOrder(QMdiArea::StackingOrder);
    setCentralWidget(mdiArea);
    document_windows_ = new DocumentWindows(
        *mdiArea, [this](WaitingWindow& waiting) { return make_waiting_window(waiting); });
    covered_ = new CoveredWindows(*mdiArea, *document_windows_);
    set_help_page(mdiArea, help_page::documents);
    setAcceptDrops(true);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &frmMain::update_menus);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &frmMain::describe_active_document);
    create_actions();
    create_find();
    procedures_panel_ = new ProceduresPanel(mdiArea, *document_windows_, this);
    addDockWidget(Qt::LeftDockWidgetArea, procedures_panel_);
    procedures_panel_->hide();
    connect(procedures_panel_->toggleViewAction(), &QAction::toggled, mnuWindowProcedures,
            &QAction::setChecked);
    create_status_bar();
    update_menus();
}

frmMain::~frmMain() {
    *stop_preparing_ = true;
    // The workspace still reports activations while the base classes close it down; this
    // window no longer takes them.
    mdiArea->disconnect(this);
}

void frmMain::MDIForm_Load(const QStringList& arguments) {
    const Settings settings = read_settings();
    place_frame(settings.frame);
    show();
    place_frame(settings.frame);
    if (settings.maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    set_tabbed_view(settings.tabbed_view);
    procedures_panel_->setVisible(settings.procedures_panel);
    output_folder_ = conversion::default_output_folder();
    if (output_folder_) {
        if (auto prepared = conversion::prepare_output_folder(*output_folder_); !prepared) {
            output_folder_ = std::unexpected(prepared.error());
        }
    }
    check_command_line(arguments);
}

void frmMain::MDIForm_Unload() {
    write_settings(!isMinimized());
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!closing_ && !confirm_close_all()) {
        event->ignore();
        return;
    }
    closing_ = true;
    // A running conversion stops at its next progress report and opens no window.
    cancel_requested_ = converting_;
    MDIForm_Unload();
    event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (has_local_files(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (has_local_files(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void frmMain::dropEvent(QDropEvent* event) {
    if (has_local_files(event->mimeData())) {
        event->acceptProposedAction();
        open_dropped(event->mimeData()->urls());
    }
}

frmMain::Settings frmMain::read_settings() const {
    const QSettings settings(settings_name(), settings_name());
    const Placement placement = read_placement(settings);
    const bool tabbed_view = settings.value(tabbed_view_key, false).toBool();
    const bool procedures_panel = settings.value(procedures_panel_key, false).toBool();
    const bool maximised = settings.value(maximised_key, false).toBool();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double x_dpi = screen->logicalDotsPerInchX();
    const double y_dpi = screen->logicalDotsPerInchY();
    using document::twips_to_pixels;
    return {fit_onto_screens(
                QRect(twips_to_pixels(placement.left, x_dpi), twips_to_pixels(placement.top, y_dpi),
                      twips_to_pixels(placement.width, x_dpi),
                      twips_to_pixels(placement.height, y_dpi)),
                screen_areas()),
            tabbed_view, procedures_panel, maximised};
}

void frmMain::place_frame(const QRect& frame) {
    // move() places the frame, resize() sizes the interior: the frame's own borders come off
    // the outer size.
    const QSize borders = frameGeometry().size() - geometry().size();
    outer_size_to_place_ = borders.isNull() ? frame.size() : QSize();
    move(frame.topLeft());
    resize(frame.size() - borders);
}

void frmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // A window manager frames a shown window a little later and then moves it; the frame's
    // place is right, its size is the interior's plus the borders.
    if (outer_size_to_place_.isValid() && frameGeometry() != geometry()) {
        const QSize outer = std::exchange(outer_size_to_place_, QSize());
        QTimer::singleShot(0, this, [this, outer] {
            resize(outer - (frameGeometry().size() - geometry().size()));
        });
    }
}

void frmMain::write_settings(bool placement) {
    QSettings settings(settings_name(), settings_name());
    settings.setValue(tabbed_view_key, mdiArea->viewMode() == QMdiArea::TabbedView);
    settings.setValue(procedures_panel_key, mnuWindowProcedures->isChecked());
    if (!placement) {
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();  // as when read
    const double x_dpi = screen->logicalDotsPerInchX();
    const double y_dpi = screen->logicalDotsPerInchY();
    // A maximised window keeps the place it had before, to go back to.
    settings.setValue(maximised_key, isMaximized());
    const QRect frame = isMaximized() ? normalGeometry().marginsAdded(QMargins(
                                            geometry().left() - frameGeometry().left(),
                                            geometry().top() - frameGeometry().top(),
                                            frameGeometry().right() - geometry().right(),
                                            frameGeometry().bottom() - geometry().bottom()))
                                      : frameGeometry();
    using document::pixels_to_twips;
    write_placement(
        settings, {pixels_to_twips(frame.left(), x_dpi), pixels_to_twips(frame.top(), y_dpi),
                   pixels_to_twips(frame.width(), x_dpi), pixels_to_twips(frame.height(), y_dpi)});
}

void frmMain::create_status_bar() {
    // The panels on the right are as wide as their text; the document's panel takes the rest,
    // and only it gives way (its end cut off) in a window too narrow for all of them.
    status_text = new QLabel;
    status_text->setObjectName(QStringLiteral("status_text"));
    status_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_date = new QLabel;
    status_time = new QLabel;
    for (QLabel* panel : {status_date, status_time}) {
        panel->setAlignment(Qt::AlignCenter);
    }
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(status_text, 1);
    status_zoom = new QLabel;
    status_zoom->setObjectName(QStringLiteral("status_zoom"));
    status_zoom->setToolTip(tr("Zoom (Ctrl+Plus, Ctrl+Minus, Ctrl+0, Ctrl and the wheel)"));
    statusBar()->addPermanentWidget(status_zoom);
    statusBar()->addPermanentWidget(status_date);
    statusBar()->addPermanentWidget(status_time);
    const auto show_now = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        status_date->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        status_time->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    show_now();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, show_now);
    clock->start(1000);
}

void frmMain::describe_active_document() {
    const document::frmDocument* form = active_document();
    status_zoom->setText(form == nullptr ? QString() : tr("%1%").arg(form->zoom()));
    status_zoom->setVisible(form != nullptr);
    if (form == nullptr) {
        status_text->clear();
        status_text->setToolTip(QString());
        return;
    }
    const document::frmDocument::Source& source = form->source();
    const QString file =
        source.path.isEmpty() ? form->caption() : QFileInfo(source.path).fileName();
    status_text->setText(source.procedure > 0 ? tr("%1 \u2014 procedure %2 of %3")
                                                    .arg(file)
                                                    .arg(source.procedure)
                                                    .arg(source.procedures)
                                              : file);
    status_text->setToolTip(QDir::toNativeSeparators(source.path));
}

void frmMain::update_menus() {
    // Nothing opens while a file opens or all windows close.
    const bool busy = converting_ || closing_all_;
    // Nor do the documents become tabs: those an export opening adds later would have none.
    for (QAction* file_command : {mnuFileOpen, mnuFileText, mnuFilePublish, mnuFileSave,
                                  mnuFileSaveAs, mnuWindowCloseAll, mnuWindowTabbedView}) {
        file_command->setEnabled(!busy);
    }
    for (QAction* recent : recent_list_) {
        recent->setEnabled(!busy);
    }
    // A document activated is one to work on: its text is there for every command. (While an
    // export opens, its windows wait until the last one is shown; while all close, the one
    // that comes on top for a moment is not looked at.)
    if (document::frmDocument* form = active_document();
        form != nullptr && !converting_ && !closing_ && !closing_all_) {
        form->RichTextBox1()->load_deferred();
    }
}

document::frmDocument* frmMain::active_document() const {
    const QMdiSubWindow* window = mdiArea->currentSubWindow();
    return window == nullptr ? nullptr : qobject_cast<document::frmDocument*>(window->widget());
}

document::frmDocument* frmMain::create_document(const QString& caption, QSize size) {
    auto* form = new document::frmDocument;
    // Its title first: the window around it takes it as it is made, rather than work out the
    // title bar again.
    form->set_caption(caption);
    QMdiSubWindow* window = add_window(*mdiArea, form, size);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(form->windowIcon());
    covered_->watch(window);
    form->may_close = [this](document::frmDocument& closing) { return confirm_close(closing); };
    connect(form, &document::frmDocument::described, this, [this, form] {
        procedures_panel_->refresh_soon();
        if (form == active_document()) {
            describe_active_document();
        }
    });
    connect(window, &QObject::destroyed, procedures_panel_, &ProceduresPanel::refresh_soon);
    connect(form, &document::frmDocument::zoom_changed, this, [this, form] {
        if (form == active_document()) {
            describe_active_document();
        }
    });
    procedures_panel_->refresh_soon();
    connect(form, &document::frmDocument::files_dropped, this, &frmMain::open_dropped);
    return form;
}

QMdiSubWindow* frmMain::make_waiting_window(WaitingWindow& waiting) {
    document::frmDocument* form = create_document(waiting.caption, waiting.place.size());
    form->set_source(waiting.source);
    form->set_outline(std::move(waiting.outline));
    if (waiting.text != nullptr) {
        form->defer_text(std::move(waiting.text));
    }
    return qobject_cast<QMdiSubWindow*>(form->parentWidget());
}

void frmMain::show_document(document::frmDocument* form) {
    form->show();
}

}  // namespace qlx::shell
