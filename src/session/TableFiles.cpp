#include "session/TableFiles.h"

#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace qb {

namespace {

const QString kPackFile = QStringLiteral("temp.db");

QString storeDir()
{
    QString dir = session().store.dir();
    return dir.isEmpty() ? session().dir() : dir;
}

bool sameDirectory(const QString& a, const QString& b)
{
    QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

void removePackFile(const QString& folder)
{
    files::removeIfPresent(folder, kPackFile);
    files::removeIfPresent(folder, kPackFile + QStringLiteral("-journal"));
}

// Row count of every table in a file, as "name=count" lines, to compare a copy with its source.
bool tableCounts(sql::Database& db, QStringList* counts, QString* error)
{
    QStringList names;
    {
        sql::Statement st(
            db,
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (st.next()) names << st.textValue(0);
        if (!st.ok()) {
            if (error) *error = st.error();
            return false;
        }
    }
    for (const QString& name : names) {
        sql::Statement st(db, QStringLiteral("SELECT COUNT(*) FROM ") + sql::quoteIdentifier(name));
        if (!st.next()) {
            if (error) *error = st.error();
            return false;
        }
        *counts << name + QLatin1Char('=') + QString::number(st.int64Value(0));
    }
    return true;
}

// Writes the fresh copy and checks it before anything replaces the source.
bool writeCopy(const QString& source, const QString& copy, QString* error)
{
    QStringList sourceCounts;
    {
        sql::Database db;
        if (!db.open(source, false, error)) return false;
        if (!tableCounts(db, &sourceCounts, error)) return false;
        sql::Statement vacuum(db, QStringLiteral("VACUUM INTO ?1"));
        vacuum.bind(1, copy);
        if (!vacuum.run()) {
            if (error) *error = vacuum.error();
            return false;
        }
    }
    sql::Database db;
    if (!db.open(copy, false, error)) return false;
    sql::Statement integrity(db, QStringLiteral("PRAGMA integrity_check"));
    if (!integrity.next() || integrity.textValue(0) != QStringLiteral("ok")) {
        if (error) *error = copy + QStringLiteral(" failed its integrity check");
        return false;
    }
    QStringList copyCounts;
    if (!tableCounts(db, &copyCounts, error)) return false;
    if (copyCounts != sourceCounts) {
        if (error) *error = copy + QStringLiteral(" lost records");
        return false;
    }
    return true;
}

}  // namespace

void CloseQBFiles() { session().store.close(); }

bool OpenQBFiles()
{
    Session& s = session();
    if (s.store.open(storeDir())) return true;
    PlainMessage(QStringLiteral("Failed: OpenQBFiles"));
    s.flags.requestStop();
    return false;
}

bool PackTable(const QString& tableName, const QString& folder)
{
    const QString name = tableName + QStringLiteral(".db");
    removePackFile(folder);

    Session& s = session();
    const bool storeFolder = s.store.isOpen() && sameDirectory(s.store.dir(), folder);
    const QString reopenDir = s.store.dir();
    if (storeFolder) s.store.close();

    const QString source = files::resolve(folder, name);
    const QString copy = QDir(folder).filePath(kPackFile);
    QString why;
    bool ok = QFileInfo::exists(source) && writeCopy(source, copy, &why);
    if (ok) {
        // A journal beside the source would be played into the copy on its next open.
        if (QFileInfo::exists(source + QStringLiteral("-journal"))) {
            ok = false;
        } else if (std::rename(QFile::encodeName(copy).constData(),
                               QFile::encodeName(source).constData()) != 0) {
            // The rename replaces the source in one step; when it fails the source is untouched.
            NonTrivialError(QStringLiteral("Pack routine error: ") + name +
                            QStringLiteral(" not gone"));
            ok = false;
        }
    }
    if (!ok)
        ShowInfo(QStringLiteral("Zip pack routine error"), QStringLiteral("qbdb544"), kSystemError,
                 30160);
    removePackFile(folder);

    if (storeFolder && !s.store.open(reopenDir, &why)) {
        NonTrivialError(why);
        s.flags.requestStop();
        return false;
    }
    return ok;
}

}  // namespace qb
