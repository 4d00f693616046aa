// libFuzzer target: any bytes imported as an XML file into a small scratch store. A file the
// import refuses must leave every row of every table as it was; a file it takes must be gone
// afterwards. After a file that changed the store, the store's files are copied back from the
// scratch state, so every input starts from the same rows.
#include "floor/Messenger.h"
#include "interchange/XmlImport.h"
#include "platform/Clock.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace qb;

namespace {

class SilentMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest&) override { return {MessageButton::Ok, {}}; }
    void plainMessage(const QString&) override {}
    void beep() override {}
};

[[noreturn]] void fail(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "xml_import_fuzz: %s %s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

struct Scratch {
    QTemporaryDir dir;
    QString store;     // the store directory the import works on
    QString pristine;  // the table files as they were before the first input
    SilentMessenger messenger;
    FakeClock clock;
    quint64 digest = 0;
};

Scratch* scratch = nullptr;

void exec(const char* statement)
{
    QString error;
    if (!session().store.db().exec(QString::fromUtf8(statement), &error)) fail(statement, error);
}

quint64 mix(quint64 h, const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 0x100000001b3ULL;
    return h;
}

// Every row of every table, as an order-free sum of row hashes with the row counts.
quint64 storeDigest()
{
    sqlite3* db = session().store.db().handle();
    quint64 digest = 0;
    for (const schema::Table& table : schema::tables()) {
        const QByteArray query = "SELECT * FROM " + table.name.toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, query.constData(), -1, &st, nullptr) != SQLITE_OK)
            fail("cannot read", table.name);
        quint64 rows = 0;
        quint64 sum = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            quint64 h = 0xcbf29ce484222325ULL;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const int type = sqlite3_column_type(st, c);
                h = mix(h, &type, sizeof type);
                if (type == SQLITE_INTEGER) {
                    const sqlite3_int64 v = sqlite3_column_int64(st, c);
                    h = mix(h, &v, sizeof v);
                } else if (type == SQLITE_FLOAT) {
                    const double v = sqlite3_column_double(st, c);
                    h = mix(h, &v, sizeof v);
                } else if (type != SQLITE_NULL) {
                    const void* bytes = sqlite3_column_blob(st, c);
                    h = mix(h, bytes, size_t(sqlite3_column_bytes(st, c)));
                }
            }
            sum += h;
            ++rows;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) fail("cannot read", table.name);
        digest = digest * 31 + sum + rows * 0x9e3779b97f4a7c15ULL;
    }
    return digest;
}

void copyTables(const QString& from, const QString& to)
{
    for (const schema::Table& table : schema::tables()) {
        const QString target = QDir(to).filePath(table.fileName);
        QFile::remove(target);
        if (!QFile::copy(QDir(from).filePath(table.fileName), target)) fail("cannot copy", target);
    }
}

void openStore()
{
    QString error;
    if (!session().store.open(scratch->store, &error)) fail("cannot open the store", error);
    // The scratch store need not survive a power cut: no syncs, so a run tries many inputs.
    for (const schema::Table& table : schema::tables())
        exec(("PRAGMA \"" + table.schemaName + "\".synchronous = OFF").toUtf8().constData());
}

void setUp()
{
    scratch = new Scratch;
    if (!scratch->dir.isValid()) fail("no temporary folder");
    scratch->store = scratch->dir.filePath(QStringLiteral("store"));
    scratch->pristine = scratch->dir.filePath(QStringLiteral("pristine"));
    QDir().mkpath(scratch->store);
    QDir().mkpath(scratch->pristine);
    Session& s = session();
    s.setMessenger(&scratch->messenger);
    s.setClock(&scratch->clock);
    s.setDir(scratch->store);
    QString error;
    if (!schema::createEmptyStore(scratch->store, &error)) fail("cannot make the store", error);
    openStore();
    // Words, a form, concepts and an item, so that look-ups and the superset rule find rows.
    exec(
        "INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES ('go', 1, -46000, 0, 1), "
        "('run', 2, -46000, 0, 1), ('walk', 3, -46000, 0, 1), ('x\" or 1=1 --', 4, -46000, 0, 1)");
    exec("INSERT INTO INFLEC (Word, WNo) VALUES ('went', 1)");
    exec(
        "INSERT INTO DICT (C, WNo, CTS) VALUES (-46000.25, 1, -46000.25), "
        "(-46000.25, 2, -46000.25), (-46000.25, 3, -46000.25), (-46000.5, 4, -46000.5)");
    exec("INSERT INTO ITEM (IT, TX, ITS) VALUES (-46001.5, 'an item', -46001.5)");
    exec("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (-46001.5, 1, -46000.25, 1)");
    session().store.close();
    copyTables(scratch->store, scratch->pristine);
    openStore();
    scratch->digest = storeDigest();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv);
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = QDir(scratch->store).filePath(QStringLiteral("in.xml"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fail("cannot write", file);
    }
    // Every input a second later: ids are drawn from the clock without waiting for it.
    scratch->clock.advanceMs(1000);
    const XmlImportResult result = ImportXmlFile(file);
    switch (result.outcome) {
    case XmlImportResult::Outcome::SetAside:
        if (QFile::exists(file)) fail("a refused file was not set aside", result.problem);
        if (storeDigest() != scratch->digest)
            fail("a refused file changed the store", result.problem);
        for (const QString& bad :
             QDir(scratch->store).entryList({QStringLiteral("in.xml*.bad")}, QDir::Files))
            QFile::remove(QDir(scratch->store).filePath(bad));
        break;
    case XmlImportResult::Outcome::Failed:
        // Nothing here refuses a write: a file that read well must import.
        fail("the import failed on a file it read", result.problem);
    case XmlImportResult::Outcome::Imported:
        if (QFile::exists(file)) fail("an imported file was kept", result.problem);
        if (storeDigest() != scratch->digest) {
            session().store.close();
            copyTables(scratch->pristine, scratch->store);
            openStore();
        }
        break;
    }
    return 0;
}
