#pragma once

#include <QString>

namespace qb {

// Closes every store file, so that file-level work (backup, Clear All Data, pack) can copy,
// replace or delete them.
void CloseQBFiles();
// Opens the store files again. A failure shows "Failed: OpenQBFiles" and sets the stop flag.
bool OpenQBFiles();

// Rewrites the table file NAME.db in folder into a fresh copy of itself (every record, memo and
// blob, every index). The store connection is closed around the work when the folder is the
// store directory. False, reported as "Zip pack routine error", when anything failed; the
// original file is then left as it was.
bool PackTable(const QString& tableName, const QString& folder);

}  // namespace qb
