#pragma once

#include <QString>
#include <QStringList>

namespace qb::search {

// The Find dialog's list of earlier search texts, newest first, without blanks or duplicates.
// Kept in qb.ini as [SAVEDFIND] Count and FindEntry_0 ... FindEntry_<Count-1>.
inline constexpr char kHistoryFailed[] = "ComboBox download failed";

// Moves text (lower-cased) to the top: every blank entry and every entry equal to it in lower
// case goes; an empty text is not inserted.
void PromoteFindEntry(QStringList& history, const QString& text);
// Drops blank entries and later duplicates (the dialog does it when it opens).
void CleanFindEntries(QStringList& history);
// Reads the list from qb.ini; blank entries are skipped. A file that cannot be read shows
// "ComboBox download failed" and gives what could be read (nothing).
QStringList LoadFindEntries();
// Writes the list to qb.ini in order, replacing what the section held; false (after
// "ComboBox download failed") when the file could not be written.
bool SaveFindEntries(const QStringList& history);
// The exit's save of the run's history (with saving to qb.ini on): also from a stopped session,
// since the texts are the user's and no store trouble touches them. Only a list that changed
// since this run read it is written, so an end before the read never empties the saved one and
// a session that did not search leaves qb.ini as it was.
void SaveFindEntriesAtExit();

}  // namespace qb::search
