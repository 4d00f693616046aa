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
    // The topic of the focused window: the nearest "qbHelpTopic" property up the parents.
    static int focusedTopic();

    void openAnchor(const QString& anchor);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace qb
