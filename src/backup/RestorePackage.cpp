#include "backup/RestorePackage.h"

#include "dictionary/DictionaryTypes.h"
#include "floor/Messages.h"
#include "items/ItemCardData.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>

namespace qb {

namespace {

struct KnownName {
    const char* file;
    const char* table;
    bool oldForm;
};

const KnownName kKnownNames[] = {
    {"WORD.DB", "WORD", false},         {"DICT.DB", "DICT", false},
    {"ITEMKEYS.DB", "ITEMKEYS", false}, {"ITEMURL.DB", "ITEMURL", false},
    {"ITEM.DB", "ITEM", false},         {"PROJECT.DB", "PROJECT", false},
    {"INFLEC.DB", "INFLEC", false},     {"SHOW.DB", "SHOW", false},
    {"ITMSJMP.DB", "ITMSJMP", false},   {"PRJORDR.DB", "PRJORDR", false},
    {"WORDX.DB", "WORD", true},         {"DICTX.DB", "DICT", true},
    {"PROJECTX.DB", "PROJECT", true},   {"ITEMX.DB", "ITEM", true},
    {"ITEMURLX.DB", "ITEMURL", true},   {"ITEMKEYX.DB", "ITEMKEYS", true},
    {"INFLECX.DB", "INFLEC", true},
};

// The tables a package must carry; INFLEC and the rest are optional.
const char* const kRequiredTables[] = {"WORD", "DICT", "PROJECT", "ITEM", "ITEMURL", "ITEMKEYS"};

const QString kScratchName = QStringLiteral("TmpImp");

quint16 u16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 u32(const uchar* p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

bool readAt(QFile& file, qint64 offset, qint64 length, QByteArray* out)
{
    if (offset < 0 || length < 0 || offset + length > file.size() || !file.seek(offset))
        return false;
    *out = file.read(length);
    return out->size() == length;
}

struct LocalRange {
    qint64 start;
    qint64 end;
};

}  // namespace

const PackageFile* PackageListing::find(const QString& tableName) const
{
    for (const PackageFile& f : files)
        if (f.tableName == tableName) return &f;
    return nullptr;
}

QString PackageTableFor(const QString& entryName, bool* oldForm)
{
    for (const KnownName& known : kKnownNames)
        if (entryName.compare(QLatin1String(known.file), Qt::CaseInsensitive) == 0) {
            if (oldForm) *oldForm = known.oldForm;
            return QString::fromLatin1(known.table);
        }
    return QString();
}

PackageListing CheckPackageListing(const QString& zipPath, const PackageLimits& limits)
{
    PackageListing listing;
    auto fail = [&](const QString& why) {
        listing.problem = why;
        listing.files.clear();
        return listing;
    };
    QFileInfo info(zipPath);
    if (!info.isFile()) return fail(QStringLiteral("not a file"));
    QFile file(zipPath);
    if (!file.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot be read"));
    const qint64 size = file.size();

    // The end record sits in the last 22 bytes plus a comment of at most 65535.
    const qint64 tailLength = std::min<qint64>(size, 22 + 65535);
    QByteArray tail;
    if (tailLength < 22 || !readAt(file, size - tailLength, tailLength, &tail))
        return fail(QStringLiteral("no zip directory"));
    const auto* t = reinterpret_cast<const uchar*>(tail.constData());
    qint64 end = -1;
    for (qint64 i = tailLength - 22; i >= 0; --i)
        if (u32(t + i) == 0x06054b50 && i + 22 + u16(t + i + 20) == tailLength) {
            end = i;
            break;
        }
    if (end < 0) return fail(QStringLiteral("no zip directory"));
    const uchar* e = t + end;
    const quint16 disk = u16(e + 4), cdDisk = u16(e + 6), onDisk = u16(e + 8), count = u16(e + 10);
    const quint32 cdSize = u32(e + 12), cdOffset = u32(e + 16);
    const qint64 endOffset = size - tailLength + end;
    if (disk != 0 || cdDisk != 0 || onDisk != count || count == 0xFFFF || cdOffset == 0xFFFFFFFF)
        return fail(QStringLiteral("split or zip64 archive"));
    if (qint64(cdOffset) + cdSize > endOffset) return fail(QStringLiteral("truncated directory"));
    QByteArray directory;
    if (!readAt(file, cdOffset, cdSize, &directory))
        return fail(QStringLiteral("truncated directory"));

    const auto* d = reinterpret_cast<const uchar*>(directory.constData());
    qint64 pos = 0;
    QSet<QString> tablesSeen;
    std::vector<LocalRange> ranges;
    for (int n = 0; n < count; ++n) {
        if (pos + 46 > directory.size() || u32(d + pos) != 0x02014b50)
            return fail(QStringLiteral("damaged directory"));
        const uchar* c = d + pos;
        const quint16 madeBy = u16(c + 4), flags = u16(c + 8), method = u16(c + 10);
        const quint32 packed = u32(c + 20), unpacked = u32(c + 24);
        const quint16 nameLength = u16(c + 28), extraLength = u16(c + 30),
                      commentLength = u16(c + 32);
        const quint32 external = u32(c + 38), localOffset = u32(c + 42);
        if (pos + 46 + nameLength + extraLength + commentLength > directory.size())
            return fail(QStringLiteral("damaged directory"));
        const QByteArray rawName(reinterpret_cast<const char*>(c + 46), nameLength);
        pos += 46 + nameLength + extraLength + commentLength;

        const QString name = QString::fromLatin1(rawName);
        if (rawName.isEmpty() || rawName.contains('/') || rawName.contains('\\') ||
            rawName.contains('\0') || rawName.contains(':') || rawName.startsWith('.'))
            return fail(QStringLiteral("the entry \"%1\" is not a flat file name").arg(name));
        const quint32 mode = external >> 16;
        if ((madeBy >> 8) == 3 && (mode & 0170000) != 0 && (mode & 0170000) != 0100000)
            return fail(QStringLiteral("the entry \"%1\" is a link or a folder").arg(name));
        if ((external & 0x10) != 0)
            return fail(QStringLiteral("the entry \"%1\" is a folder").arg(name));
        bool oldForm = false;
        const QString table = PackageTableFor(name, &oldForm);
        if (table.isEmpty())
            return fail(QStringLiteral("the entry \"%1\" is no table of a package").arg(name));
        if (tablesSeen.contains(table))
            return fail(QStringLiteral("the table %1 is there twice").arg(table));
        tablesSeen.insert(table);
        if ((flags & 1) != 0)
            return fail(QStringLiteral("the entry \"%1\" is encrypted").arg(name));
        if (method != 0 && method != 8)
            return fail(QStringLiteral("the entry \"%1\" is packed in an unknown way").arg(name));
        if (packed == 0xFFFFFFFF || unpacked == 0xFFFFFFFF)
            return fail(QStringLiteral("zip64 entry"));
        if (qint64(unpacked) > limits.maxEntrySize ||
            (qint64(unpacked) > limits.bombMinSize &&
             qint64(unpacked) > limits.bombRatio * std::max<qint64>(packed, 1)))
            return fail(QStringLiteral("the entry \"%1\" unpacks to %2 bytes from %3")
                            .arg(name)
                            .arg(unpacked)
                            .arg(packed));

        // The local header must name the same file, and no two entries may share data.
        QByteArray local;
        if (!readAt(file, localOffset, 30, &local))
            return fail(QStringLiteral("truncated entry \"%1\"").arg(name));
        const auto* l = reinterpret_cast<const uchar*>(local.constData());
        const quint16 localName = u16(l + 26), localExtra = u16(l + 28);
        QByteArray localNameBytes;
        if (u32(l) != 0x04034b50 || !readAt(file, localOffset + 30, localName, &localNameBytes) ||
            localNameBytes != rawName)
            return fail(QStringLiteral("the entry \"%1\" does not match its data").arg(name));
        const qint64 dataEnd = qint64(localOffset) + 30 + localName + localExtra + packed;
        if (dataEnd > cdOffset) return fail(QStringLiteral("truncated entry \"%1\"").arg(name));
        ranges.push_back({qint64(localOffset), dataEnd});

        PackageFile entry;
        entry.entry = name;
        entry.tableName = table;
        entry.oldForm = oldForm;
        entry.size = unpacked;
        entry.packedSize = packed;
        listing.oldForm = listing.oldForm || oldForm;
        listing.totalSize += unpacked;
        listing.largestSize = std::max<qint64>(listing.largestSize, unpacked);
        listing.files.push_back(entry);
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const LocalRange& a, const LocalRange& b) { return a.start < b.start; });
    for (size_t i = 1; i < ranges.size(); ++i)
        if (ranges[i].start < ranges[i - 1].end) return fail(QStringLiteral("overlapping entries"));
    if (listing.totalSize > limits.maxTotalSize)
        return fail(QStringLiteral("the package unpacks to %1 bytes").arg(listing.totalSize));
    if (listing.files.empty()) return fail(QStringLiteral("an empty package"));
    return listing;
}

QString ScratchDir() { return QDir(session().dir()).filePath(kScratchName); }

void ClearScratch()
{
    const QString dir = ScratchDir();
    QFileInfo info(dir);
    if (info.isSymLink()) {
        // Never follow a link someone put in the scratch folder's place.
        QFile::remove(dir);
        return;
    }
    if (!info.exists()) return;
    QDir scratch(dir);
    const QFileInfoList entries = scratch.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
    int found = 0;
    for (const QFileInfo& entry : entries) {
        if (++found > 100) break;
        bool gone = entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                        : QFile::remove(entry.filePath());
        if (!gone) InfoMessage(QStringLiteral("Not deleted: ") + entry.fileName());
    }
    if (found >= 99 || !QDir().rmdir(dir))
        InfoMessage(QStringLiteral("You must manually delete directory: ") + session().dir() +
                    QStringLiteral("/") + kScratchName);
}

QString UnzipProgram()
{
    QString found = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (!found.isEmpty()) return found;
    QString local = files::resolve(session().dir(), QStringLiteral("unzip"));
    QFileInfo info(local);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

bool UnpackPackage(const QString& zipPath, const PackageListing& listing, QString* problem)
{
    auto fail = [&](const QString& why) {
        if (problem) *problem = why;
        return false;
    };
    const QString unzip = UnzipProgram();
    if (unzip.isEmpty()) return fail(QStringLiteral("no unzip program"));
    const QString dir = ScratchDir();
    if (!QDir().mkpath(dir) || QFileInfo(dir).isSymLink()) {
        const QString text = QStringLiteral("Failed to create ") + dir + QLatin1Char('/');
        ShowInfo(text, QStringLiteral("sd107"), kError, 30160);
        return fail(text);
    }

    QStringList args{QStringLiteral("-o"), QStringLiteral("-qq"),
                     QFileInfo(zipPath).absoluteFilePath()};
    for (const PackageFile& f : listing.files) args << f.entry;
    args << QStringLiteral("-d") << dir;
    QProcess process;
    process.setProgram(unzip);
    process.setArguments(args);
    process.setWorkingDirectory(session().dir());
    // A lying directory cannot make unzip write more than the largest declared file.
    const rlim_t limit = rlim_t(listing.largestSize + 4096);
    process.setChildProcessModifier([limit] {
        struct rlimit bound {
            limit, limit
        };
        setrlimit(RLIMIT_FSIZE, &bound);
    });
    process.start();
    if (!process.waitForStarted(30000)) return fail(QStringLiteral("unzip did not start"));
    while (!process.waitForFinished(200)) {
        session().messenger().processEvents();
        if (process.state() == QProcess::NotRunning) break;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return fail(QStringLiteral("unzip failed: ") +
                    QString::fromLocal8Bit(process.readAllStandardError()).trimmed());

    // Exactly the listed files, each a plain file of its declared size.
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                          QDir::System | QDir::NoDotAndDotDot);
    if (entries.size() != int(listing.files.size()))
        return fail(QStringLiteral("the unpacked files differ from the listing"));
    for (const QFileInfo& entry : entries) {
        const PackageFile* listed = nullptr;
        for (const PackageFile& f : listing.files)
            if (f.entry == entry.fileName()) listed = &f;
        if (!listed || entry.isSymLink() || !entry.isFile() || entry.size() != listed->size)
            return fail(QStringLiteral("the unpacked file %1 differs from the listing")
                            .arg(entry.fileName()));
    }
    return true;
}

QString UnpackedFile(const QString& tableName)
{
    const QDir dir(ScratchDir());
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString& name : names)
        if (PackageTableFor(name, nullptr) == tableName) return dir.filePath(name);
    return QString();
}

UnpackedState VerifyUnpacked()
{
    UnpackedState state;
    state.valid = true;
    const QStringList names = QDir(ScratchDir()).entryList(QDir::Files);
    QSet<QString> present;
    for (const QString& name : names) {
        bool oldForm = false;
        const QString table = PackageTableFor(name, &oldForm);
        if (table.isEmpty()) continue;
        present.insert(table);
        state.oldForm = state.oldForm || oldForm;
    }
    for (const char* required : kRequiredTables)
        if (!present.contains(QString::fromLatin1(required))) state.valid = false;
    state.inflecPresent = present.contains(QStringLiteral("INFLEC"));
    return state;
}

namespace {

struct FieldInfo {
    QString name;
    QString type;
    int pk = 0;
    bool operator==(const FieldInfo& o) const
    {
        return name.compare(o.name, Qt::CaseInsensitive) == 0 &&
               type.compare(o.type, Qt::CaseInsensitive) == 0 && pk == o.pk;
    }
};

std::vector<FieldInfo> tableInfo(sql::Database& db, const QString& schemaName, const QString& table,
                                 QString* error)
{
    std::vector<FieldInfo> fields;
    sql::Statement st(db, QStringLiteral("PRAGMA %1.table_info(%2)")
                              .arg(sql::quoteIdentifier(schemaName), sql::quoteIdentifier(table)));
    while (st.next()) fields.push_back({st.textValue(1), st.textValue(2), st.intValue(5)});
    if (!st.ok() && error) *error = st.error();
    return fields;
}

// The store's fields of the table: from its attached file, or from the schema when the store
// has none.
std::vector<FieldInfo> storeFields(const schema::Table& table)
{
    Store& store = session().store;
    if (store.isOpen() && store.isAttached(table.name)) {
        std::vector<FieldInfo> fields =
            tableInfo(store.db(), table.schemaName, table.name, nullptr);
        if (!fields.empty()) return fields;
    }
    std::vector<FieldInfo> fields;
    for (const schema::Field& f : table.fields)
        fields.push_back(
            {f.name, schema::sqlType(f.type), int(table.primaryKey.indexOf(f.name)) + 1});
    return fields;
}

// The longest texts the program itself writes into these fields, in characters.
struct TextLimit {
    const char* table;
    const char* field;
    int limit;
    const char* what;
};
const TextLimit kTextLimits[] = {
    {"ITEM", "TX", ItemCardData::kMaxTextLength, "an item text"},
    {"WORD", "Word", kWordTextLimit, "a word"},
    {"INFLEC", "Word", kWordTextLimit, "a word form"},
    {"PROJECT", "Project", ItemCardData::kMaxNameLength, "a project name"},
    {"ITEMURL", "Project", ItemCardData::kMaxNameLength, "a project name"},
    {"PRJORDR", "Project", ItemCardData::kMaxNameLength, "a project name"},
};

// Rows the program could never have written: a text beyond its field's limit.
QString rowsBeyondLimits(sql::Database& db, const schema::Table& table)
{
    for (const TextLimit& l : kTextLimits) {
        if (table.name != QLatin1String(l.table)) continue;
        const QString field = sql::quoteIdentifier(QString::fromLatin1(l.field));
        // NOT INDEXED: an index of the file's own could hide rows from the check.
        sql::Statement st(db, QStringLiteral("SELECT COUNT(*), MAX(length(%1)) FROM %2 NOT "
                                             "INDEXED WHERE length(%1) > ?1")
                                  .arg(field, sql::quoteIdentifier(table.name)));
        st.bind(1, l.limit);
        if (!st.next()) return st.error();
        if (st.int64Value(0) > 0)
            return QStringLiteral("%1 rows hold %2 longer than %3 characters (the longest has %4)")
                .arg(st.int64Value(0))
                .arg(QLatin1String(l.what))
                .arg(l.limit)
                .arg(st.int64Value(1));
    }
    return QString();
}

// Writing a row compiles everything the file's schema runs on a write: index expressions,
// checks, defaults. A function this program does not know, or one not safe in a schema, fails
// here, before any copy of the file is written.
QString schemaRunsFunctions(sql::Database& db, const schema::Table& table,
                            const std::vector<QString>& fields)
{
    QStringList sets;
    for (const QString& f : fields)
        sets << sql::quoteIdentifier(f) + QStringLiteral(" = ") + sql::quoteIdentifier(f);
    const QString name = sql::quoteIdentifier(table.name);
    for (const QString& write :
         {QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(name),
          QStringLiteral("UPDATE %1 SET %2").arg(name, sets.join(QStringLiteral(", ")))}) {
        sql::Statement st(db, write);
        if (!st.isValid()) return st.error();
    }
    return QString();
}

}  // namespace

bool OpenUntrusted(sql::Database& db, const QString& path, QString* error)
{
    if (!db.open(path, false, error)) return false;
    sqlite3* h = db.handle();
    sqlite3_db_config(h, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    return db.exec(QStringLiteral("PRAGMA query_only=1"), error);
}

bool CheckUnpackedTable(const QString& path, const QString& tableName, QString* problem)
{
    auto fail = [&](const QString& why) {
        if (problem) *problem = QFileInfo(path).fileName() + QStringLiteral(": ") + why;
        return false;
    };
    const schema::Table* table = schema::find(tableName);
    if (!table) return fail(QStringLiteral("no such table"));

    sql::Database db;
    QString error;
    if (!OpenUntrusted(db, path, &error)) return fail(error);

    {
        sql::Statement st(db, QStringLiteral("PRAGMA quick_check"));
        if (!st.next() || st.textValue(0) != QStringLiteral("ok"))
            return fail(st.ok() ? st.textValue(0) : st.error());
    }
    {
        sql::Statement st(db, QStringLiteral("SELECT type, name, tbl_name FROM sqlite_master"));
        int tables = 0;
        while (st.next()) {
            const QString type = st.textValue(0), name = st.textValue(1);
            if (type == QStringLiteral("table")) {
                if (name.startsWith(QStringLiteral("sqlite_"))) continue;
                if (name.compare(table->name, Qt::CaseInsensitive) != 0)
                    return fail(QStringLiteral("holds another table ") + name);
                ++tables;
            } else if (type != QStringLiteral("index")) {
                return fail(QStringLiteral("holds a ") + type + QStringLiteral(" ") + name);
            }
        }
        if (!st.ok()) return fail(st.error());
        if (tables != 1) return fail(QStringLiteral("holds no table ") + table->name);
    }
    {
        // The rows are read in their order of insertion, which a table without rowid lacks.
        sql::Statement st(
            db,
            QStringLiteral("SELECT rowid FROM %1 LIMIT 1").arg(sql::quoteIdentifier(table->name)));
        st.next();
        if (!st.ok()) return fail(st.error());
    }
    const std::vector<FieldInfo> fields =
        tableInfo(db, QStringLiteral("main"), table->name, &error);
    const std::vector<FieldInfo> expected = storeFields(*table);
    if (fields != expected) return fail(QStringLiteral("its fields differ from the store's"));
    {
        std::vector<QString> names;
        for (const FieldInfo& f : fields) names.push_back(f.name);
        const QString why = schemaRunsFunctions(db, *table, names);
        if (!why.isEmpty()) return fail(QStringLiteral("its schema cannot be used here: ") + why);
    }
    {
        const QString why = rowsBeyondLimits(db, *table);
        if (!why.isEmpty()) return fail(why);
    }

    // Word numbers are whole and positive in every table that carries them.
    for (const FieldInfo& f : fields)
        if (f.name.compare(QStringLiteral("WNo"), Qt::CaseInsensitive) == 0) {
            sql::Statement st(db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 NOT INDEXED "
                                                 "WHERE \"WNo\" IS NOT NULL AND "
                                                 "(typeof(\"WNo\") <> 'integer' OR \"WNo\" < 1))")
                                      .arg(sql::quoteIdentifier(table->name)));
            if (!st.next()) return fail(st.error());
            if (st.intValue(0) != 0) return fail(QStringLiteral("holds word numbers below 1"));
        }
    return true;
}

}  // namespace qb
