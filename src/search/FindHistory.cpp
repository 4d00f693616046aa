#include "search/FindHistory.h"

#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "platform/IniFile.h"
#include "search/TextMatch.h"
#include "search/TextSearch.h"
#include "session/Session.h"

namespace qb::search {

namespace {

const QString kSection = QStringLiteral("SAVEDFIND");

void reportFailure() { ShowInfo(QString::fromLatin1(kHistoryFailed), QString(), kError, 0); }

// The list as this run read it from qb.ini.
struct FindHistoryRead {
    bool done = false;
    QStringList entries;
};

}  // namespace

void PromoteFindEntry(QStringList& history, const QString& text)
{
    const QString lowered = LowerForSearch(text);
    QStringList kept;
    for (const QString& entry : history)
        if (!entry.trimmed().isEmpty() && LowerForSearch(entry) != lowered) kept << entry;
    if (!lowered.isEmpty()) kept.prepend(lowered);
    history = kept;
}

void CleanFindEntries(QStringList& history)
{
    QStringList kept;
    QStringList seen;
    for (const QString& entry : history) {
        if (entry.trimmed().isEmpty()) continue;
        const QString key = LowerForSearch(entry);
        if (seen.contains(key)) continue;
        seen << key;
        kept << entry;
    }
    history = kept;
}

QStringList LoadFindEntries()
{
    IniFile ini;
    if (!ini.load(runContext().iniPath())) {
        reportFailure();
        return {};
    }
    QStringList history;
    const int count = ini.readInteger(kSection, QStringLiteral("Count"), 0);
    for (int i = 0; i < count; ++i) {
        const QString entry =
            ini.readString(kSection, QStringLiteral("FindEntry_%1").arg(i), QString());
        if (!entry.trimmed().isEmpty()) history << entry;
    }
    CleanFindEntries(history);
    FindHistoryRead& read = session().part<FindHistoryRead>();
    read.done = true;
    read.entries = history;
    return history;
}

bool SaveFindEntries(const QStringList& history)
{
    IniFile ini;
    if (!ini.load(runContext().iniPath())) {
        reportFailure();
        return false;
    }
    ini.eraseSection(kSection);
    ini.writeInteger(kSection, QStringLiteral("Count"), int(history.size()));
    for (int i = 0; i < history.size(); ++i)
        ini.writeString(kSection, QStringLiteral("FindEntry_%1").arg(i), history.at(i));
    if (!ini.save()) {
        reportFailure();
        return false;
    }
    return true;
}

void SaveFindEntriesAtExit()
{
    Session& s = session();
    const FindHistoryRead& read = s.part<FindHistoryRead>();
    const QStringList& history = searchState().history;
    if (!read.done || history == read.entries || !s.settings.saveToIniFileOnExit) return;
    SaveFindEntries(history);
}

}  // namespace qb::search
