#pragma once

#include <QString>

#include <vector>

namespace qb::search {

// One entry of the look-up menu of a word selected in an item text.
struct LookupEntry {
    enum class Kind {
        Find,         // the tool bar's Find text
        GotoWord,     // the dictionary window on the word
        AddWord,      // the word added at once
        Flyword,      // a flyword of the selection
        Separator,    // before the first group of forms and after each group
        Replace,      // the selection replaced by the form and one blank
        NotShown,     // a form past the replacement slots: the Find text instead
        RegularMenu,  // the card's own command panel
    };
    Kind kind;
    QString name;  // Find_pop, Word_pop, AddW_pop, AddF_pop, AddD_1, AddW_<i>, AddD2<i>, Add_RM
    QString caption;
    QString form;  // Replace: the text that replaces the selection, without its blank
};

struct LookupMenu {
    QString text;     // the look-up text
    int wordNo = -1;  // the word to show, -1 when the text is no dictionary word
    std::vector<LookupEntry> entries;
};

// Forms that replace the selection; any further ones only start a search.
constexpr int kLookupSlots = 20;

// The look-up text of a selection: its first word without the characters file names refuse
// (a comma, a full stop ...), in lower case. Empty when nothing is left.
QString LookupText(const QString& selection);
// The entries for a look-up text: Find, Goto Word or Add Word, Flyword, then for every word the
// text is a form of, that word's other forms as a group, and Regular Menu.
LookupMenu BuildLookupMenu(const QString& text);

}  // namespace qb::search
