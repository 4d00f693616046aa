#pragma once

#include <QWidget>

class QTextBrowser;

namespace qb {

// The help viewer: the shipped HTML help, whose anchors are the help topic numbers.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Opens the help at an anchor ("30160", "fkeys"; empty: the contents). While a modal window
    // is open the help opens as its child, so that it can be read and scrolled.
    static HelpWindow* showTopic(const QString& anchor);
    static void closeAll();
    // The help's main page in the installed files.
    static QString helpFile();
    // The topic of the focused window: the nearest help topic up the parents of the focused
    // widget (else of the modal or the active window).
    static int focusedTopic();
    // F1 anywhere in the program opens the topic of the focused window; the main window's menu
    // entry takes the key while that window is active, this takes it everywhere else (modal
    // dialogs, the Word Mill, the imported text).
    static void installHelpKey();
    // F1 where no window has a topic: the contents.
    static void showFocusedTopic();

    void openAnchor(const QString& anchor);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace qb
