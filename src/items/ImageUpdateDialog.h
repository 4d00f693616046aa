#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace qb {

// "IMAGE UPDATE": where an item card's picture comes from (the clipboard or a .BMP/.JPG file),
// or whether it is removed or copied. The card carries the choice out.
class ImageUpdateDialog : public QDialog {
    Q_OBJECT
public:
    enum Action { None, FromClipboard, FromFile, Remove, Copy };
    struct Choice {
        Action action = None;
        QString file;
    };
    static constexpr int kHelpContext = 50070;

    explicit ImageUpdateDialog(QWidget* parent = nullptr);

    Choice choice() const { return choice_; }
    QLineEdit* fileField() const { return file_; }
    QPushButton* clipboardButton() const { return clipboard_; }

    static Choice ask(QWidget* parent);

private:
    void finish(Action action);
    void browse();

    Choice choice_;
    QPushButton* clipboard_;
    QLineEdit* file_;
};

}  // namespace qb
