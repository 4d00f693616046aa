#include "search/LookupMenuRules.h"

#include "platform/Sqlite.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QLocale>

namespace qb::search {

QString LookupText(const QString& selection)
{
    // A selection may begin with a blank or hold line breaks (U+2029 in a selection).
    return QLocale().toLower(CleanFileName(selection.simplified(), false));
}

LookupMenu BuildLookupMenu(const QString& text)
{
    using Kind = LookupEntry::Kind;
    LookupMenu menu;
    menu.text = QLocale().toLower(text);
    auto add = [&menu](Kind kind, const QString& name, const QString& caption,
                       const QString& form = QString()) {
        menu.entries.push_back({kind, name, caption, form});
    };
    sql::Database& db = session().store.db();

    add(Kind::Find, QStringLiteral("Find_pop"), QStringLiteral("Find"));
    sql::Statement word(db, QStringLiteral("SELECT WNo FROM WORD WHERE Word = ?1 LIMIT 1"));
    word.bind(1, menu.text);
    if (word.next()) {
        menu.wordNo = word.intValue(0);
        add(Kind::GotoWord, QStringLiteral("Word_pop"), QStringLiteral("Goto Word"));
    } else {
        add(Kind::AddWord, QStringLiteral("AddW_pop"), QStringLiteral("Add Word"));
    }
    add(Kind::Flyword, QStringLiteral("AddF_pop"), QStringLiteral("Flyword"));

    sql::Statement words(db, QStringLiteral("SELECT WNo FROM INFLEC WHERE Word = ?1 ORDER BY WNo"));
    words.bind(1, menu.text);
    std::vector<int> numbers;
    while (words.next()) numbers.push_back(words.intValue(0));
    if (!numbers.empty()) add(Kind::Separator, QStringLiteral("AddD_1"), QStringLiteral("-"));
    sql::Statement forms(db,
                         QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = ?1 ORDER BY Word"));
    int i = 0;
    for (int number : numbers) {
        forms.reset();
        forms.bind(1, number);
        bool group = false;
        while (forms.next()) {
            const QString form = forms.textValue(0);
            if (form == menu.text) continue;
            ++i;
            group = true;
            const QString name = QStringLiteral("AddW_%1").arg(i);
            if (i <= kLookupSlots)
                add(Kind::Replace, name, QStringLiteral("-> ") + form, form);
            else
                add(Kind::NotShown, name, QStringLiteral("-> (Notshown)"));
        }
        if (group) add(Kind::Separator, QStringLiteral("AddD2%1").arg(i), QStringLiteral("-"));
    }
    add(Kind::RegularMenu, QStringLiteral("Add_RM"), QStringLiteral("Regular Menu"));
    return menu;
}

}  // namespace qb::search
