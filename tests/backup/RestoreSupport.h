#pragma once

#include "platform/Sqlite.h"
#include "store/Store.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

namespace qb::test {

// A second store in its own directory, written through its own connection, whose table files
// become a package.
class PackageSource {
public:
    explicit PackageSource(const QString& dir);
    void exec(const QString& sql, const QVariantList& values = {});
    // Zips the named table files (default: every table a package holds) flat into zipPath.
    QString zip(const QString& zipPath, const QStringList& files = packageFiles());
    static QStringList packageFiles();

    QString dir;
    Store store;
};

// Runs zip -j -q -X with the files; fails the test when zip fails.
void zipFiles(const QString& zipPath, const QStringList& paths);

// Writes a zip of stored (unpacked) entries with any names and Unix modes, for packages that
// zip itself would not make (names with "..", absolute paths, links).
struct ZipEntry {
    QByteArray name;
    QByteArray data;
    unsigned mode = 0100644;
};
void writeZip(const QString& zipPath, const std::vector<ZipEntry>& entries);

// Every row of every table of a store, in key order, one text per row ("WORD|tree|17|...").
QStringList everyRow(sql::Database& db);

}  // namespace qb::test
