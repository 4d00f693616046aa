#pragma once

#include <QString>

#include <vector>

namespace qb {

// The start-up check and upgrade sequence: creates the tables older stores lack, fills an empty
// INFLEC, checks every order the program uses and recomputes the word frequencies. Sets the stop
// flag when an upgrade fails; returns false when the stop flag is set afterwards.
bool DataChecks(bool filesChecked = false);

// SQLite's check of every table file, before anything is written into one: a damaged file is
// named with what to do about it, and the stop flag is set. Quick checks the page structure; the
// full check also every index entry.
bool CheckTableFiles(bool quick);

// The upgrade steps. Each creates its table (attached to the store) only when its file is
// missing and returns whether the table is there afterwards.
bool CreateInflec();
bool CreateItmsjmp();
bool CreateShow();
bool CreatePrjOrdr();
// An empty table with ITEM's fields; the start-up makes it before the checks run.
bool CreateSched();
// Appends every word of WORD into INFLEC as a form of itself; pairs that are already there, or
// repeat, land in the temporary table KV1 instead. Then restores the saved windows.
bool FillInflec();

// Opens the table in the order; a failure reports tableName followed by message. Does nothing
// while the stop flag is set.
bool CheckIndex(const QString& databaseName, const QString& tableName, const QString& message,
                const QString& indexFields);

// WORD.WFQ := minus the number of ITEMKEYS records carrying the word, or 1 for an unused word.
bool GetFrequencies();

// The orders that must open, in the order they are checked.
struct IndexCheck {
    QString tableName;
    QString indexFields;
};
const std::vector<IndexCheck>& indexChecks();
extern const QString kIndexCheckMessage;

// The temporary table that receives the key violations of the INFLEC fill.
inline const QString kKeyViolationTable = QStringLiteral("KV1");

}  // namespace qb
