#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace qb {

// "SELECT WEB BROWSER": the program that opens web addresses ([HELPER APPS] WebBrowser).
class TfrmSetBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetBrowser(QWidget* parent);

    QLineEdit* pathEdit() const { return path_; }
    QRadioButton* netscapeButton() const { return netscape_; }
    QRadioButton* explorerButton() const { return explorer_; }

    // "&Search": the program registered for web pages.
    void SearchClick();
    // "&OK": an existing program becomes the browser; otherwise "File or URL does not exist".
    bool OKBtnClick();

private:
    void browse();

    QLineEdit* path_;
    QRadioButton* netscape_;
    QRadioButton* explorer_;
};

// "&Browser Setup": the dialog; afterwards an existing browser is written to qb.ini at once.
void RunBrowserSetup(QWidget* parent);

}  // namespace qb
