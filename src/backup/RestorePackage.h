#pragma once

#include "platform/Sqlite.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace qb {

// One table file a package may carry, in the new form ("WORD.DB") or the old one ("Wordx.db").
struct PackageFile {
    QString entry;      // the name as the package spells it
    QString tableName;  // "WORD", "ITEMKEYS", ...
    bool oldForm = false;
    qint64 size = 0;        // uncompressed, as the package declares it
    qint64 packedSize = 0;  // compressed
};

// What the package's listing says, read from the zip central directory before anything is
// extracted. problem is empty when every entry is a flat table file name of a sound size.
struct PackageListing {
    QString problem;
    std::vector<PackageFile> files;
    bool oldForm = false;
    qint64 totalSize = 0;
    qint64 largestSize = 0;
    bool ok() const { return problem.isEmpty(); }
    const PackageFile* find(const QString& tableName) const;
};

// Bounds on what a package may unpack to: far above any real store, far below a full disk.
struct PackageLimits {
    qint64 maxEntrySize = qint64(2) << 30;
    qint64 maxTotalSize = qint64(6) << 30;
    // Deflate cannot pack much above 1000:1; only a file of nearly nothing but zeros gets there,
    // which no table file of that size is.
    qint64 bombRatio = 1000;
    qint64 bombMinSize = qint64(16) << 20;
};

// The table a package file name stands for, matched without regard to case; empty when the
// name is not one a package holds. *oldForm tells the "x" names of the older package form.
QString PackageTableFor(const QString& entryName, bool* oldForm);

// Reads and checks the listing of the zip file: only the expected flat file names, each once,
// no folders, "..", absolute paths, links or encryption, entries that do not overlap, sizes
// within the limits.
PackageListing CheckPackageListing(const QString& zipPath, const PackageLimits& limits = {});

// The scratch folder below the store directory.
QString ScratchDir();
// Empties and removes the scratch folder; messages as the restore gives them.
void ClearScratch();

// The unzip program: on PATH, else in the store directory. Empty when there is none.
QString UnzipProgram();

// Unpacks the listed files into the scratch folder (made fresh; "Failed to create" sd107 when it
// cannot be) with unzip, given its
// arguments as a list, with the largest declared size as a hard limit on every file written.
// Then checks that the folder holds exactly the listed files, each a plain file of the declared
// size. False with *problem when anything differs.
bool UnpackPackage(const QString& zipPath, const PackageListing& listing, QString* problem);

// The state after unpacking: the required tables are there (in either form), and whether the
// package is old-form and carries INFLEC.
struct UnpackedState {
    bool valid = false;
    bool oldForm = false;
    bool inflecPresent = false;
};
UnpackedState VerifyUnpacked();

// The scratch file of a table, in whichever form the package used; empty when absent.
QString UnpackedFile(const QString& tableName);

// Opens an unpacked table file defensively (no triggers or views run, the schema is not
// trusted) and compares it with the store's table: one table of that name, the same fields in
// the same order with the same types and key, no triggers or views, a schema that calls no
// function on a write, word numbers that are whole and positive, and no text longer than the
// program writes (item texts, words, project names). False with *problem otherwise.
bool CheckUnpackedTable(const QString& path, const QString& tableName, QString* problem);
// Opens a table file that came from outside read-only and defensively: nothing in its schema
// (triggers, views, functions it names) may run.
bool OpenUntrusted(sql::Database& db, const QString& path, QString* error);

}  // namespace qb
