#pragma once

#include <QDialog>
#include <QFrame>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace qb {

class TCommandRow;
class TRecorderRow;

// The card command panel: one window for the whole program that a card opens on a right press.
// The card picks the rows to show; the panel turns the user's choice into a command name, which
// the card then carries out (a card ignores names it does not know).
class TMyPopUpMenu : public QDialog {
    Q_OBJECT
public:
    // A row that exists for one opening only.
    struct TemporaryRow {
        QString caption;
        QString command;
        QIcon picture;
        int glyphs = 1;
    };

    // What one opening shows.
    struct Request {
        QString caption;                 // the card's title text
        QStringList rows;                // command names in display order (fixed or temporary)
        QHash<QString, QString> labels;  // rows shown with another caption (command -> caption)
        std::vector<TemporaryRow> temporaryRows;  // shown where `rows` names them, else at the end
        bool recorder = false;  // the sound recorder row (item cards; only with audio)
    };

    // What a file dialog of the panel is asked.
    struct FileDialogRequest {
        QString title;
        QString directory;
        QString filter;  // Qt form
        QString defaultSuffix;
        QString presetFile;
        bool save = false;
    };

    static TMyPopUpMenu& instance();

    // One opening: clears the panel, shows the rows of the request beside the pointer point `at`
    // (screen coordinates), runs it modally and returns the chosen command, or an empty text.
    QString choose(QWidget* card, QPoint at, const Request& request);

    // Tests answer the panel without a modal loop: while set, an opening shows the panel, calls
    // the function (which may press keys or rows) and closes the panel as by its close box.
    static void setTestAnswer(std::function<void(TMyPopUpMenu&)> answer);
    // Tests answer the file dialogs: the chosen path, or an empty text for Esc.
    static void setFileDialogAnswer(std::function<QString(const FileDialogRequest&)> answer);
    // Whether the machine has an audio device (tests may say).
    static void setAudioDeviceProbe(std::function<bool()> probe);
    static bool audioDevicePresent();

    // --- the protocol, step by step ---
    void setPointerPoint(QPoint at) { pointer_ = at; }
    QPoint pointerPoint() const { return pointer_; }
    void MenuClean();
    TCommandRow* AddCommandRow(const QString& caption, const QIcon& picture, int glyphs,
                               const QString& command);
    // Makes a row visible below the rows shown before it.
    void showRow(const QString& command);
    void showRecorder();
    void setRowLabel(const QString& command, const QString& caption);
    QString rowLabel(const QString& command) const;
    void setPanelCaption(const QString& caption) { setWindowTitle(caption); }
    // Height for the rows shown.
    void fitHeightToRows();
    // Activation and the modal run; the command afterwards.
    QString run();

    // --- the outcome ---
    QString command() const { return command_; }
    // A row handler: sets the command and closes.
    void chooseCommand(const QString& command);
    // A right press on Cancel: the card ends its handling silently.
    bool cancelledByRightPress() const { return rightCancel_; }
    QPushButton* cancelButton() const { return cancel_; }

    // --- what is shown ---
    QStringList shownRows() const;
    QWidget* row(const QString& command) const;
    int temporaryRowCount() const;
    bool recorderShown() const;
    TRecorderRow* recorder() const { return recorder_; }

    // --- sound recorder ---
    void RecorderSave();
    void RecorderLoad();

    // --- outline map dialogs ---
    // The project window sets filter ("description|pattern|..." or Qt form) and folder.
    void setOutlineFilter(const QString& filter, const QString& folder);
    QString OutlineAdminGetFile();
    QString OutlineAdminSaveFile();
    QString saveDialogFileName() const { return saveFileName_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TMyPopUpMenu();
    void activate();
    bool handleKey(QKeyEvent* e);
    void restoreLabels();
    QString runFileDialog(const FileDialogRequest& request);
    void watch(QWidget* w);

    QPoint pointer_;
    QPoint origin_;  // where the window with its frame is to stand
    QString command_;
    bool rightCancel_ = false;
    QWidget* rowsBox_;
    QVBoxLayout* rowsLayout_;
    std::vector<TCommandRow*> fixedRows_;
    std::vector<QPointer<TCommandRow>> temporaryRows_;
    QStringList shown_;
    TRecorderRow* recorder_;
    bool recorderVisible_ = false;
    QPushButton* cancel_;
    QString outlineFilter_;
    QString outlineFolder_;
    QString saveFileName_;
};

// One row of the panel: a lowered panel with a flat picture button and a label. A press on the
// panel or the label chooses it at once; a click on the button chooses it on release.
class TCommandRow : public QFrame {
    Q_OBJECT
public:
    TCommandRow(TMyPopUpMenu& panel, const QString& caption, const QString& hint,
                const QString& command, const QIcon& picture, bool temporary);

    QString command() const { return command_; }
    bool isTemporary() const { return temporary_; }
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    QWidget* button() const { return button_; }
    // Where the caption's letters are, in the row's coordinates.
    QRect captionRect() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    TMyPopUpMenu& panel_;
    QString command_;
    QString caption_;
    bool temporary_;
    QWidget* button_;
    QLabel* label_;
};

}  // namespace qb
