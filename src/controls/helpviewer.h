#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;
class QToolButton;

// The program's help pages in a window of their own, so that help opens on a
// computer without a browser: links between the pages are followed here, with
// back and forward buttons and the page's title as the window's title; web and
// mail links go to the desktop's programs.
class HelpViewer : public QDialog
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Shows a page of the help folder ("temy.html", optionally with "#anchor");
    // throws ZError naming the page when there is no such page.
    void showPage(const QString &page);
    // The page shown now.
    QUrl source() const;

private:
    // A clicked link: a help page here, any other address on the desktop.
    void followLink(const QUrl &link);
    void showUrl(const QUrl &url);

    QTextBrowser *Stranica = nullptr;
    QToolButton *Nazad = nullptr;
    QToolButton *Vpered = nullptr;
};

// The folder of the program's help pages (canonical), empty when none is found.
QString helpFolder();

// Opens the help viewer of a window at one of its pages: one viewer per
// window, shown over it and usable while the window is modal. An error box
// says why when the page cannot be shown.
HelpViewer *showHelp(QWidget *window, const QString &page);

// F1 in the window opens this help page.
void setHelpPage(QWidget *window, const QString &page);
