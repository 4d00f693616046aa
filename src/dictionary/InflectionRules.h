#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

namespace qb {

struct Settings;

// A form is stored in INFLEC's Word column, at most 38 characters.
constexpr int kFormFieldLength = 38;

// The forms that lead to a word, in the order of the text.
QStringList FormsOfWord(int wordNo);
// The row of the word's own form: searched from the last row backwards, the first row when none
// matches (and for an empty list).
int BaseFormRow(const QStringList& forms, const QString& word);
// The row holding text, compared without regard to case; -1 when none.
int FormRow(const QStringList& forms, const QString& text);

enum class FormChange {
    Done,
    Empty,    // nothing but blanks: nothing to do
    Refused,  // too long or with control characters (reported)
    Failed,   // the store refused it: a form already leading to the word, a lock (reported)
    Missing,  // removing a form the word does not have
};
// The add-inflection dialog's OK: the input in lower case (blanks kept) as a form of the word.
FormChange AddForm(int wordNo, const QString& input);
// Removes one form of the word ("Remove Wor&d"); the word's own form may go too.
FormChange RemoveForm(int wordNo, const QString& form);

// The cascade of new inflection windows: offset grows by the window offsets, the window stands at
// the pop spot plus offset, and an offset that put the window beyond the area starts again at 0.
QPoint NextInflectionPlace(QPoint& offset, const Settings& settings, QSize card, QSize area);

// The window's height before it was sized from its rows: 20 pixels a row plus 53.
int InflectionWindowHeight(int rows);
// The form column: as wide as the card less 10 pixels with fewer than two rows (pixels), else a
// character for every eight pixels beyond 32 (characters).
struct FormColumn {
    bool inPixels = false;
    int width = 0;
};
FormColumn InflectionColumn(int rows, int cardWidth);

// "&Find in Item texts": one search per form from the first on; search returns false when Esc
// ended it, which stops the rest. The number of searches run.
int FindFormsInItemTexts(const QStringList& forms,
                         const std::function<bool(const QString&)>& search);

}  // namespace qb
