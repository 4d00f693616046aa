#include "dictionary/InflectionRules.h"

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QLocale>

namespace qb {

namespace {

constexpr int kInflectionHelp = 50061;

sql::Database& db() { return session().store.db(); }

}  // namespace

QStringList FormsOfWord(int wordNo)
{
    sql::Statement st(db(), QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = ?1 ORDER BY Word"));
    st.bind(1, wordNo);
    QStringList forms;
    while (st.next()) forms << st.textValue(0);
    return forms;
}

int BaseFormRow(const QStringList& forms, const QString& word)
{
    for (int row = int(forms.size()) - 1; row > 0; --row)
        if (forms.at(row) == word) return row;
    return 0;
}

int FormRow(const QStringList& forms, const QString& text)
{
    for (int row = 0; row < forms.size(); ++row)
        if (forms.at(row).compare(text, Qt::CaseInsensitive) == 0) return row;
    return -1;
}

FormChange AddForm(int wordNo, const QString& input)
{
    if (input.trimmed().isEmpty()) return FormChange::Empty;
    const QString form = QLocale().toLower(input);
    if (HasControlCharacter(form)) {
        ShowInfo(ControlCharacterMessage(QStringLiteral("A form")), QStringLiteral("inf410"),
                 kError, kInflectionHelp);
        return FormChange::Refused;
    }
    if (CodePointCount(form) > kFormFieldLength) {
        ShowInfo(QStringLiteral("A form has at most %1 characters: ").arg(kFormFieldLength) + form,
                 QStringLiteral("inf411"), kError, kInflectionHelp);
        return FormChange::Refused;
    }
    sql::Statement st(db(), QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
    st.bind(1, form).bind(2, wordNo);
    if (!st.run()) {
        ShowInfo(QStringLiteral("Duplicate id - no update "),
                 QStringLiteral("Update failed, word: ") + form, kSystemError, kInflectionHelp);
        return FormChange::Failed;
    }
    return FormChange::Done;
}

FormChange RemoveForm(int wordNo, const QString& form)
{
    if (form.trimmed().isEmpty()) return FormChange::Empty;
    sql::Statement st(db(), QStringLiteral("DELETE FROM INFLEC WHERE Word = ?1 AND WNo = ?2"));
    st.bind(1, form).bind(2, wordNo);
    if (!st.run()) {
        ShowInfo(QStringLiteral("Delete failed, word: ") + form, QStringLiteral("inf426"), kError,
                 kInflectionHelp);
        return FormChange::Failed;
    }
    return db().changes() > 0 ? FormChange::Done : FormChange::Missing;
}

QPoint NextInflectionPlace(QPoint& offset, const Settings& settings, QSize card, QSize area)
{
    offset += QPoint(settings.horizontal, settings.vertical);
    const QPoint place(settings.popSpotZX + offset.x(), settings.popSpotZY + offset.y());
    if (place.x() + card.width() > area.width()) offset.setX(0);
    if (place.y() + card.height() > area.height()) offset.setY(0);
    return place;
}

int InflectionWindowHeight(int rows) { return 20 * rows + 53; }

FormColumn InflectionColumn(int rows, int cardWidth)
{
    if (rows < 2) return {true, cardWidth - 10};
    return {false, (cardWidth - 32) / 8};
}

int FindFormsInItemTexts(const QStringList& forms,
                         const std::function<bool(const QString&)>& search)
{
    int run = 0;
    for (const QString& form : forms) {
        ++run;
        if (!search(form)) break;
    }
    return run;
}

}  // namespace qb
