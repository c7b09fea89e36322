#include "help_window.h"

#include "dialog_parts.h"

#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// The window's size in layout pixels: wide enough for the main window's picture.
constexpr QSize HelpSize(1040, 640);

// help.css keeps its colours and sizes in custom properties, which the browser does not read:
// the program's navy and the document's face here, ahead of its own style sheet.
const char HelpLook[] = "body { font-family: 'Liberation Sans'; font-size: 15px; }"
                        "body, h1, h2, h3, h4, th, td, a { color: #000080; }";
} // namespace

void ShowAddressToCopy(const QUrl &address, QWidget *owner)
{
    auto *box = new QMessageBox(
        QMessageBox::Information, "Kelvane",
        QString("No program on this desktop opens web pages. The page's address, to copy:\n\n%1")
            .arg(address.toString()),
        QMessageBox::Ok, owner);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), Browser(new QTextBrowser(this))
{
    QPalette palette = this->palette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        palette.setColor(role, Cream);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        palette.setColor(role, Navy);
    setPalette(palette);
    Browser->setPalette(palette);
    Browser->setFrameShape(QFrame::NoFrame);
    Browser->document()->setDefaultStyleSheet(HelpLook);
    Browser->document()->setDocumentMargin(16);
    Browser->setOpenLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    resize(HelpSize);

    connect(Browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const QUrl target = Browser->source().resolved(link);
        if (target.isLocalFile())
            Browser->setSource(target);
        else
            emit WebLinkClicked(target);
    });
    connect(Browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(Browser->documentTitle()); });
}

void HelpWindow::ShowDocument(const QUrl &document)
{
    Browser->setSource(document);
    setWindowTitle(Browser->documentTitle());
    if (!isVisible()) {
        const QRect owner = parentWidget() != nullptr ? parentWidget()->frameGeometry() : QRect();
        QRect place(QPoint(), HelpSize);
        place.moveCenter(owner.center());
        // Over the main window, but whole on its screen.
        if (const QScreen *screen = this->screen(); screen != nullptr) {
            const QRect room = screen->availableGeometry();
            place.setSize(place.size().boundedTo(room.size()));
            place.moveLeft(std::clamp(place.left(), room.left(), room.right() - place.width() + 1));
            place.moveTop(std::clamp(place.top(), room.top(), room.bottom() - place.height() + 1));
        }
        setGeometry(place);
    }
    showNormal();
    raise();
    activateWindow();
}
