// Kelvane's own help window: the shipped help document in a text browser, for a desktop
// that has nothing to open it with. Inner links and pictures stay in the window; a web link
// is handed back to the caller.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

// Tells that nothing on the desktop opens `address`, in a small message over `owner` whose
// text can be selected and copied.
void ShowAddressToCopy(const QUrl &address, QWidget *owner);

class HelpWindow : public QWidget
{
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget *parent);

    // Shows the document (a local file, with or without a #section), raised and active.
    void ShowDocument(const QUrl &document);

    QTextBrowser *Browser;

  signals:
    // A link that leaves the help folder: a web page, mail.
    void WebLinkClicked(const QUrl &address);
};
