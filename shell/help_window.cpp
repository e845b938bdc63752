#include "shell/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace qlx::shell {

namespace {

constexpr int id_role = Qt::UserRole;
constexpr char help_page_property[] = "qlx_help_page";

// The manuals bundled as pages, and the names the contents give them.
struct Manual {
    const char* name;
    const char* title;
};
constexpr Manual manuals[] = {
    {"qlx-viewer", QT_TRANSLATE_NOOP("qlx::shell::HelpWindow", "QLX Viewer")},
    {"qlx-convert", QT_TRANSLATE_NOOP("qlx::shell::HelpWindow", "The converter, qlx-convert")},
};

const QString style_sheet = QStringLiteral(
    "h2 { font-size: large; margin-top: 12px; } dt { font-weight: bold; margin-top: 6px; } "
    "dd { margin-left: 24px; } .Bd-indent { margin-left: 24px; }");

// "COMPARING_EXPORTS": "Comparing exports".
QString title_of(const QString& anchor) {
    QString title = anchor.toLower().replace(QLatin1Char('_'), QLatin1Char(' '));
    if (!title.isEmpty()) {
        title[0] = title[0].toUpper();
    }
    return title;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      search(new QLineEdit),
      contents(new QTreeWidget),
      page(new QTextBrowser),
      outcome(new QLabel) {
    setObjectName(QStringLiteral("help_window"));
    setWindowTitle(tr("QLX Viewer Help"));
    search->setObjectName(QStringLiteral("help_search"));
    search->setPlaceholderText(tr("Search"));
    search->setClearButtonEnabled(true);
    contents->setObjectName(QStringLiteral("help_contents"));
    contents->setHeaderHidden(true);
    page->setObjectName(QStringLiteral("help_page"));
    page->setOpenLinks(false);
    page->document()->setDefaultStyleSheet(style_sheet);
    outcome->setObjectName(QStringLiteral("help_outcome"));

    for (const Manual& manual : manuals) {
        add_manual(QLatin1String(manual.name), tr(manual.title));
    }
    contents->expandAll();

    auto* left = new QWidget;
    auto* left_layout = new QVBoxLayout(left);
    left_layout->setContentsMargins(0, 0, 0, 0);
    left_layout->addWidget(search);
    left_layout->addWidget(outcome);
    left_layout->addWidget(contents);
    auto* halves = new QSplitter;
    halves->addWidget(left);
    halves->addWidget(page);
    halves->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(halves);
    resize(900, 600);

    connect(contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && !item->data(0, id_role).toString().isEmpty()) {
            show_page(item->data(0, id_role).toString());
        }
    });
    connect(page, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        if (link.scheme() == QLatin1String("help")) {
            show_page(link.path() + QLatin1Char('#') + link.fragment());
        }
    });
    connect(search, &QLineEdit::textChanged, this, &HelpWindow::apply_search);
    connect(search, &QLineEdit::returnPressed, this, &HelpWindow::find_next);
    if (!pages_.empty()) {
        show_page(pages_.front().id);
    }
}

void HelpWindow::add_manual(const QString& name, const QString& title) {
    static const QRegularExpression heading(
        QStringLiteral("<h1 class=\"Sh\" id=\"([^\"]*)\">.*?</h1>"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression other_manual(
        QStringLiteral("<b>(qlx-viewer|qlx-convert)</b>\\(1\\)"));
    QFile file(QStringLiteral(":/help/%1.html").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    QString html = QString::fromUtf8(file.readAll());
    html.replace(other_manual,
                 QStringLiteral("<a href=\"help:\\1#DESCRIPTION\"><b>\\1</b>(1)</a>"));
    const qsizetype foot = html.indexOf(QStringLiteral("<table class=\"foot\">"));
    html.truncate(foot < 0 ? html.size() : foot);
    auto* top = new QTreeWidgetItem(QStringList{title});
    contents->addTopLevelItem(top);
    // A page per section; NAME and SYNOPSIS go with the DESCRIPTION.
    QString before;
    bool described = false;
    const QString start = QStringLiteral("<section class=\"Sh\">");
    for (qsizetype at = html.indexOf(start); at >= 0;) {
        const qsizetype next = html.indexOf(start, at + start.size());
        QString section = html.mid(at, next < 0 ? -1 : next - at);
        at = next;
        const QRegularExpressionMatch found = heading.match(section);
        if (!found.hasMatch()) {
            continue;
        }
        const QString anchor = found.captured(1);
        section.replace(found.capturedStart(), found.capturedLength(),
                        QStringLiteral("<h2>%1</h2>").arg(title_of(anchor)));
        if (!described && anchor != QLatin1String("DESCRIPTION")) {
            before += section;
            continue;
        }
        described = true;
        Page help{name + QLatin1Char('#') + anchor, title_of(anchor), before + section, {}};
        before.clear();
        auto* item = new QTreeWidgetItem(top, QStringList{help.title});
        item->setData(0, id_role, help.id);
        pages_.push_back(std::move(help));
    }
}

const HelpWindow::Page* HelpWindow::find_page(const QString& id) const {
    for (const Page& help : pages_) {
        if (help.id == id) {
            return &help;
        }
    }
    return nullptr;
}

QStringList HelpWindow::page_ids() const {
    QStringList ids;
    for (const Page& help : pages_) {
        ids << help.id;
    }
    return ids;
}

const QString& HelpWindow::text_of(const Page& help) const {
    if (help.text.isEmpty()) {
        help.text = QTextDocumentFragment::fromHtml(help.html).toPlainText();
    }
    return help.text;
}

QString HelpWindow::page_text(const QString& id) const {
    const Page* help = find_page(id);
    return help != nullptr ? text_of(*help) : QString();
}

bool HelpWindow::show_page(const QString& id) {
    const Page* help = find_page(id);
    if (help == nullptr) {
        return false;
    }
    if (shown_ != id) {
        shown_ = id;
        page->setHtml(help->html);
    }
    for (QTreeWidgetItemIterator it(contents); *it; ++it) {
        if ((*it)->data(0, id_role).toString() == id && contents->currentItem() != *it) {
            contents->setCurrentItem(*it);
        }
    }
    mark_words();
    return true;
}

void HelpWindow::start_search() {
    search->setFocus();
    search->selectAll();
}

QStringList HelpWindow::words() const {
    return search->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void HelpWindow::apply_search() {
    const QStringList wanted = words();
    const auto holds_all = [&](const Page& help) {
        for (const QString& word : wanted) {
            if (!text_of(help).contains(word, Qt::CaseInsensitive)) {
                return false;
            }
        }
        return true;
    };
    int found = 0;
    QString first;
    for (int m = 0; m < contents->topLevelItemCount(); ++m) {
        QTreeWidgetItem* top = contents->topLevelItem(m);
        bool any = false;
        for (int i = 0; i < top->childCount(); ++i) {
            QTreeWidgetItem* item = top->child(i);
            const QString id = item->data(0, id_role).toString();
            const bool shown = holds_all(*find_page(id));
            item->setHidden(!shown);
            if (shown) {
                any = true;
                ++found;
                first = first.isEmpty() ? id : first;
            }
        }
        top->setHidden(!any);
    }
    if (wanted.isEmpty()) {
        outcome->clear();
    } else if (found == 0) {
        outcome->setText(tr("No page holds \"%1\"").arg(wanted.join(' ')));
    } else {
        outcome->setText(found == 1 ? tr("1 page") : tr("%1 pages").arg(found));
    }
    // The page shown stays while it holds the words; otherwise the first that does.
    const Page* shown = find_page(shown_);
    if (!first.isEmpty() && (shown == nullptr || !holds_all(*shown))) {
        show_page(first);
    } else {
        mark_words();
    }
}

void HelpWindow::mark_words() {
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat marked;
    marked.setBackground(QColor(0xFF, 0xE0, 0x66));
    for (const QString& word : words()) {
        for (QTextCursor at = page->document()->find(word); !at.isNull();
             at = page->document()->find(word, at)) {
            marks.append({at, marked});
        }
    }
    page->setExtraSelections(marks);
}

void HelpWindow::find_next() {
    const QStringList wanted = words();
    if (wanted.isEmpty()) {
        return;
    }
    if (!page->find(wanted.front())) {
        page->moveCursor(QTextCursor::Start);  // round to the top
        page->find(wanted.front());
    }
}

void set_help_page(QWidget* widget, const QString& id) {
    widget->setProperty(help_page_property, id);
}

QString help_page_of(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant id = widget->property(help_page_property);
        if (id.isValid()) {
            return id.toString();
        }
    }
    return {};
}

}  // namespace qlx::shell
