#pragma once

#include "cards/DragPayload.h"
#include "cards/TowerCard.h"
#include "dictionary/InflectionRules.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QLineEdit;
class QStandardItemModel;
class QToolButton;

namespace qb {

class TDBDragGrid;

// The add-inflection dialog: a form for the window's word, prefilled with the word.
class TNew_Inflect : public QDialog {
    Q_OBJECT
public:
    TNew_Inflect(int wordNo, const QString& word, QWidget* parent = nullptr);

    QLineEdit* input() const { return input_; }
    QToolButton* eraseButton() const { return erase_; }
    FormChange result() const { return result_; }

    // "Cut word from right": the selected part, else the last character; the caret to the end.
    void SpeedButtonEraseClick();
    void OKBtnClick();

private:
    int wordNo_;
    QLineEdit* input_;
    QToolButton* erase_;
    FormChange result_ = FormChange::Empty;
};

// The inflection window: a list card with the forms of one word. The rules live in
// InflectionRules; the window shows the forms and passes commands, drops and clicks on.
class TInflect : public TTower {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50061;
    static constexpr QSize kAltSize{400, 360};
    static constexpr int kStartColumnChars = 24;
    // The dictionary word takes a form as its text; true when it changed.
    using RenameAction = std::function<bool(int wordNo, const QString& form)>;

    TInflect(TDesktop& desktop, int wordNo, const QString& word, RenameAction rename);

    TDBDragGrid* dragGrid() const;
    int wordNo() const { return wordNo_; }
    QString word() const { return word_; }
    const QStringList& forms() const { return forms_; }
    int currentRow() const;
    void setCurrentRow(int row);

    // Reads the forms again, back on the word's own form, and sizes the card from its rows.
    void Reload();

    QStringList panelRows() const;
    void openCommandPanel(QPoint global);
    void command(const QString& name);

    bool DropOnGrid(const DragPayload& payload);
    DragPayload dragPayload() const;
    void RowDoubleClick();

    void CardMouseDown(Qt::MouseButton button, QPoint global) override;
    void ApplyColor() override {}
    void LayoutGrid() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void insertForm();
    void removeForm();
    void findInItemTexts();
    void formToClipboard();
    bool showForm(const QString& text);

    int wordNo_;
    QString word_;
    RenameAction rename_;
    QStringList forms_;
    QStandardItemModel* model_;
    bool sized_ = false;
    bool laying_ = false;
};

// Opens an inflection window at the next step of the cascade; width 0 keeps the list card's.
TInflect* OpenInflectionWindow(TDesktop& desktop, int wordNo, const QString& word,
                               TInflect::RenameAction rename, int width = 0);

}  // namespace qb
