#pragma once

#include <QFrame>
#include <QHash>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace qb {

class CommandRegistry;

// A panel that reports a left press (the logo panel, the explode indicator, the clipboard size).
class PressPanel : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
Q_SIGNALS:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The main window's tool bar: five groups of picture buttons, the date-stamp text box, the
// clipboard-size panel with the directory and stop pictures, the logo panel that holds the
// desktop map, and the explode indicator.
class ToolBarPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kHeight = 29;

    ToolBarPanel(CommandRegistry& commands, QWidget* parent);

    // The button that runs a command (tests, hints); null when the tool bar has none.
    QToolButton* button(const QString& command) const { return buttons_.value(command); }
    QList<QToolButton*> buttons() const { return buttons_.values(); }

    QPlainTextEdit* dateStampBox() const { return dateStamp_; }
    QString dateStampText() const;
    void resetDateStamp();

    PressPanel* clipboardSizePanel() const { return clipSize_; }
    void setClipboardSizeText(const QString& text);
    QString clipboardSizeText() const;
    // Shows what the system clipboard holds now: "IMAGE" for a picture, else its text's length.
    void refreshClipboardSize();
    QToolButton* directoryPicture() const { return directory_; }
    QToolButton* stopPicture() const { return stop_; }
    void showStopPicture(bool stopped);

    PressPanel* logoPanel() const { return logo_; }
    QWidget* mapHost() const { return mapHost_; }

    PressPanel* explodeIndicator() const { return explode_; }
    // -1 Off, 0 On, 1 Maximum; with signs, pictures instead of the mode's text.
    void setExplodeIndicator(int mode, bool signs);
    QString explodeText() const;
    bool plusShown() const;
    bool minusShown() const;

private:
    QFrame* group(QWidget* parent);
    QToolButton* addButton(QFrame* group, const char* command, const QString& hint,
                           const QIcon& icon);

    CommandRegistry& commands_;
    QHash<QString, QToolButton*> buttons_;
    QPlainTextEdit* dateStamp_ = nullptr;
    PressPanel* clipSize_ = nullptr;
    QLabel* clipSizeText_ = nullptr;
    QToolButton* directory_ = nullptr;
    QToolButton* stop_ = nullptr;
    PressPanel* logo_ = nullptr;
    QWidget* mapHost_ = nullptr;
    PressPanel* explode_ = nullptr;
    QLabel* plus_ = nullptr;
    QLabel* minus_ = nullptr;
    QLabel* explodeText_ = nullptr;
};

}  // namespace qb
