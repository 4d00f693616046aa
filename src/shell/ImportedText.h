#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace qb {

// The imported-text window: always on top, showing what the import timer read from
// qbimport.txt. A double click on a selection makes a flyword of it.
class TfrmImpText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50130;

    explicit TfrmImpText(QWidget* parent = nullptr);

    QPlainTextEdit* text() const;
    // Text of at most 120 characters of the selection as a new flyword; false without one.
    bool selectionToFlyword();

    // The window of the run, made on first use; null once the application is gone.
    static TfrmImpText* instance();
    // The text of the window when one was made, else empty.
    static QString existingText();
    // View > qbimport.txt: shown in its normal state.
    static void showWindow();

private:
    class Edit;
    Edit* text_;
};

}  // namespace qb
