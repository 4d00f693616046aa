#include "platform/Sqlite.h"

#include <sqlite3.h>

#include <QStringDecoder>
#include <QUrl>

#include <cstring>

namespace qb::sql {

namespace {

QString fileUri(const QString& path, bool create)
{
    QUrl url = QUrl::fromLocalFile(path);
    QString uri = QString::fromUtf8(url.toEncoded());
    uri += create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw");
    return uri;
}

int& defaultBusyTimeout()
{
    static int ms = kBusyTimeoutMs;
    return ms;
}

void configure(sqlite3* db)
{
    // Rollback journal so that one transaction spans every attached file; full sync so that a
    // commit reported done is on the disk.
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;", nullptr, nullptr,
                 nullptr);
    // Another program may be writing (the CLI beside the desktop, CLI runs in parallel): wait in
    // line for its lock rather than fail.
    sqlite3_busy_timeout(db, defaultBusyTimeout());
}

}  // namespace

void setDefaultBusyTimeout(int ms) { defaultBusyTimeout() = ms; }

Database::~Database() { close(); }

void Database::setBusyTimeout(int ms)
{
    if (db_) sqlite3_busy_timeout(db_, ms);
}

void Database::bumpGeneration()
{
    static long long counter = 0;
    generation_ = ++counter;
}

bool Database::open(const QString& path, bool create, QString* error)
{
    close();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI;
    if (create) flags |= SQLITE_OPEN_CREATE;
    int rc = sqlite3_open_v2(fileUri(path, create).toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    configure(db_);
    bumpGeneration();
    return true;
}

bool Database::openMemory(QString* error)
{
    close();
    int rc = sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        close();
        return false;
    }
    bumpGeneration();
    return true;
}

void Database::close()
{
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        bumpGeneration();
    }
}

bool Database::attach(const QString& path, const QString& schema, bool create, QString* error)
{
    Statement st(*this, QStringLiteral("ATTACH DATABASE ?1 AS ") + quoteIdentifier(schema));
    st.bind(1, fileUri(path, create));
    if (!st.run()) {
        if (error) *error = st.error();
        return false;
    }
    QString schemaId = quoteIdentifier(schema);
    exec(
        QStringLiteral("PRAGMA %1.journal_mode=DELETE; PRAGMA %1.synchronous=FULL;").arg(schemaId));
    bumpGeneration();
    return true;
}

bool Database::detach(const QString& schema, QString* error)
{
    bool ok = exec(QStringLiteral("DETACH DATABASE ") + quoteIdentifier(schema), error);
    bumpGeneration();
    return ok;
}

bool Database::exec(const QString& sql, QString* error)
{
    if (!db_) {
        if (error) *error = QStringLiteral("database not open");
        return false;
    }
    char* msg = nullptr;
    int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        if (error) *error = msg ? QString::fromUtf8(msg) : lastError();
        sqlite3_free(msg);
        return false;
    }
    return true;
}

QString Database::lastError() const
{
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("database not open");
}

bool Database::isReadOnly(const QString& schema) const
{
    return db_ && sqlite3_db_readonly(db_, schema.toUtf8().constData()) == 1;
}

long long Database::lastInsertRowId() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

int Database::changes() const { return db_ ? sqlite3_changes(db_) : 0; }

Statement::Statement(Database& db, const QString& sql) : db_(&db)
{
    if (!db.handle()) {
        error_ = QStringLiteral("database not open");
        return;
    }
    QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        error_ = db.lastError();
        stmt_ = nullptr;
    }
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(other.stmt_), error_(std::move(other.error_))
{
    other.stmt_ = nullptr;
}

Statement::~Statement()
{
    if (stmt_) sqlite3_finalize(stmt_);
}

void Statement::fail()
{
    if (error_.isEmpty()) error_ = db_ ? db_->lastError() : QStringLiteral("no database");
}

Statement& Statement::bind(int index, double value)
{
    if (stmt_ && sqlite3_bind_double(stmt_, index, value) != SQLITE_OK) fail();
    return *this;
}

Statement& Statement::bind(int index, int value)
{
    if (stmt_ && sqlite3_bind_int(stmt_, index, value) != SQLITE_OK) fail();
    return *this;
}

Statement& Statement::bind(int index, long long value)
{
    if (stmt_ && sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail();
    return *this;
}

Statement& Statement::bind(int index, const QString& value)
{
    if (!stmt_) return *this;
    QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        fail();
    return *this;
}

Statement& Statement::bindBlob(int index, const QByteArray& value)
{
    if (!stmt_) return *this;
    int rc = value.isNull() ? sqlite3_bind_null(stmt_, index)
                            : sqlite3_bind_blob(stmt_, index, value.constData(), int(value.size()),
                                                SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) fail();
    return *this;
}

Statement& Statement::bindNull(int index)
{
    if (stmt_ && sqlite3_bind_null(stmt_, index) != SQLITE_OK) fail();
    return *this;
}

Statement& Statement::bindVariant(int index, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: return bind(index, value.toDouble());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Bool: return bind(index, value.toInt());
    case QMetaType::LongLong:
    case QMetaType::UInt: return bind(index, value.toLongLong());
    case QMetaType::QByteArray: return bindBlob(index, value.toByteArray());
    case QMetaType::UnknownType: return bindNull(index);
    default: return bind(index, value.toString());
    }
}

bool Statement::next()
{
    if (!stmt_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) fail();
    return false;
}

bool Statement::run()
{
    if (!stmt_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        fail();
        return false;
    }
    return ok();
}

void Statement::reset()
{
    if (!stmt_) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    error_.clear();
}

int Statement::columnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }

bool Statement::isNull(int column) const
{
    return !stmt_ || sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

double Statement::realValue(int column) const
{
    return stmt_ ? sqlite3_column_double(stmt_, column) : 0.0;
}

int Statement::intValue(int column) const { return stmt_ ? sqlite3_column_int(stmt_, column) : 0; }

long long Statement::int64Value(int column) const
{
    return stmt_ ? sqlite3_column_int64(stmt_, column) : 0;
}

QString Statement::textValue(int column) const
{
    if (!stmt_) return {};
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int bytes = sqlite3_column_bytes(stmt_, column);
    if (!text) return QString();
    const char* data = reinterpret_cast<const char*>(text);
    // fromUtf8 drops a leading U+FEFF as a byte-order mark; in a stored text it is a character.
    if (bytes >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder(QByteArrayView(data, bytes));
    }
    return QString::fromUtf8(data, bytes);
}

QByteArray Statement::blobValue(int column) const
{
    if (!stmt_) return {};
    const void* data = sqlite3_column_blob(stmt_, column);
    int bytes = sqlite3_column_bytes(stmt_, column);
    return data ? QByteArray(static_cast<const char*>(data), bytes) : QByteArray();
}

QVariant Statement::value(int column) const
{
    if (!stmt_) return {};
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER: return QVariant(int64Value(column));
    case SQLITE_FLOAT: return QVariant(realValue(column));
    case SQLITE_TEXT: return QVariant(textValue(column));
    case SQLITE_BLOB: return QVariant(blobValue(column));
    default: return QVariant();
    }
}

Transaction::Transaction(Database& db, bool immediate) : db_(db)
{
    active_ = db_.exec(immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
}

Transaction::~Transaction()
{
    if (active_) rollback();
}

bool Transaction::commit(QString* error)
{
    if (!active_) {
        if (error) *error = QStringLiteral("no transaction");
        return false;
    }
    if (!db_.exec(QStringLiteral("COMMIT"), error)) {
        rollback();
        return false;
    }
    active_ = false;
    return true;
}

void Transaction::rollback()
{
    if (!active_) return;
    db_.exec(QStringLiteral("ROLLBACK"));
    active_ = false;
}

Savepoint::Savepoint(Database& db, const QString& name) : db_(db), name_(quoteIdentifier(name))
{
    active_ = db_.exec(QStringLiteral("SAVEPOINT ") + name_);
}

Savepoint::~Savepoint()
{
    if (active_) rollback();
}

bool Savepoint::release(QString* error)
{
    if (!active_) return false;
    if (!db_.exec(QStringLiteral("RELEASE ") + name_, error)) return false;
    active_ = false;
    return true;
}

void Savepoint::rollback()
{
    if (!active_) return;
    db_.exec(QStringLiteral("ROLLBACK TO ") + name_);
    db_.exec(QStringLiteral("RELEASE ") + name_);
    active_ = false;
}

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString likeLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString sqliteVersion() { return QString::fromLatin1(sqlite3_libversion()); }

}  // namespace qb::sql
