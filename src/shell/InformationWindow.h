#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qb {

// The window "INFORMATION" that shows an information file (release notes, program fixes).
class InformationWindow : public QDialog {
    Q_OBJECT
public:
    explicit InformationWindow(QWidget* parent = nullptr);

    // Shows text modally; onceOnly adds the line that it will not be shown again.
    static void showText(const QString& text, bool onceOnly, QWidget* parent = nullptr);

    void setContent(const QString& text, bool onceOnly);
    QPlainTextEdit* textArea() const { return text_; }
    QLabel* onceLine() const { return once_; }
    QPushButton* okButton() const { return ok_; }

private:
    QPlainTextEdit* text_;
    QLabel* once_;
    QPushButton* ok_;
};

}  // namespace qb
