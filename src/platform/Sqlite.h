#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

#include <sqlite3.h>

namespace qb::sql {

// How long a statement waits for another connection's lock before it fails. The CLI waits in
// line; the desktop program waits less, since its window cannot answer meanwhile, and a commit
// that fails keeps its edits for the next one.
constexpr int kBusyTimeoutMs = 20000;
constexpr int kDesktopBusyTimeoutMs = 5000;

// The wait given to connections opened from now on.
void setDefaultBusyTimeout(int ms);

// A connection. Owns the sqlite3 handle; errors are reported through the return value and
// lastError(), never by exceptions.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing file read-write (create = false) or creates it when missing.
    bool open(const QString& path, bool create, QString* error = nullptr);
    bool openMemory(QString* error = nullptr);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Attaches an existing file (create = false refuses to make a new one).
    bool attach(const QString& path, const QString& schema, bool create, QString* error = nullptr);
    bool detach(const QString& schema, QString* error = nullptr);

    // Runs statements without parameters and without rows (schema, pragmas).
    bool exec(const QString& sql, QString* error = nullptr);

    QString lastError() const;
    void setBusyTimeout(int ms);
    // True when the schema ("main" or an attachment) could only be opened read-only.
    bool isReadOnly(const QString& schema) const;
    long long lastInsertRowId() const;
    int changes() const;
    sqlite3* handle() const { return db_; }
    // Changes whenever the connection is opened, closed, attached to or detached from, so that
    // caches of table contents can tell a different set of files from the same one.
    long long generation() const { return generation_; }

private:
    sqlite3* db_ = nullptr;
    long long generation_ = 0;
    void bumpGeneration();
};

// A prepared statement with bound parameters. Finalised in the destructor.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;

    bool isValid() const { return stmt_ != nullptr; }
    QString error() const { return error_; }

    // Parameters are numbered from 1, as in SQLite.
    Statement& bind(int index, double value);
    Statement& bind(int index, long double value)
    {
        return bind(index, static_cast<double>(value));
    }
    Statement& bind(int index, int value);
    Statement& bind(int index, long long value);
    Statement& bind(int index, const QString& value);
    Statement& bind(int index, const char* value) { return bind(index, QString::fromUtf8(value)); }
    Statement& bindBlob(int index, const QByteArray& value);
    Statement& bindNull(int index);
    Statement& bindVariant(int index, const QVariant& value);

    // Steps once. Returns true while a row is available; check ok() after the last call.
    bool next();
    // Runs a statement that yields no rows; true on success.
    bool run();
    bool ok() const { return error_.isEmpty(); }
    void reset();

    int columnCount() const;
    bool isNull(int column) const;
    double realValue(int column) const;
    long double extValue(int column) const { return static_cast<long double>(realValue(column)); }
    int intValue(int column) const;
    long long int64Value(int column) const;
    QString textValue(int column) const;
    QByteArray blobValue(int column) const;
    QVariant value(int column) const;

private:
    Database* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
    void fail();
};

// BEGIN ... COMMIT; rolls back when destroyed without commit().
class Transaction {
public:
    explicit Transaction(Database& db, bool immediate = true);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return active_; }
    bool commit(QString* error = nullptr);
    void rollback();

private:
    Database& db_;
    bool active_ = false;
};

// SAVEPOINT ... RELEASE; rolls back to the savepoint when destroyed without release().
class Savepoint {
public:
    Savepoint(Database& db, const QString& name);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    bool isActive() const { return active_; }
    bool release(QString* error = nullptr);
    void rollback();

private:
    Database& db_;
    QString name_;
    bool active_ = false;
};

// The caller's transaction when one is open (as a savepoint inside it), else a transaction of
// its own: lets a step that must be atomic also be part of a larger command.
class WriteScope {
public:
    explicit WriteScope(Database& db)
    {
        if (db.handle() && !sqlite3_get_autocommit(db.handle()))
            savepoint_.emplace(db, QStringLiteral("scope"));
        else
            transaction_.emplace(db);
    }
    bool isActive() const
    {
        return transaction_ ? transaction_->isActive() : savepoint_->isActive();
    }
    bool commit(QString* error = nullptr)
    {
        if (transaction_) return transaction_->commit(error);
        if (savepoint_->release(error)) return true;
        savepoint_->rollback();
        return false;
    }
    void rollback()
    {
        if (transaction_)
            transaction_->rollback();
        else
            savepoint_->rollback();
    }

private:
    std::optional<Transaction> transaction_;
    std::optional<Savepoint> savepoint_;
};

// Quotes an identifier for use in schema statements made from fixed names.
QString quoteIdentifier(const QString& name);

// A LIKE pattern that matches text literally: "%", "_" and "\" are escaped for ESCAPE '\'.
QString likeLiteral(const QString& text);

QString sqliteVersion();

}  // namespace qb::sql
