#include "items/ShowRecords.h"

#include "platform/Sqlite.h"
#include "session/Session.h"

namespace qb {

namespace {

QString idText(Timestamp id) { return QString::number(double(id), 'g', 15); }

QString joinKey(const QString& a, const QString& b, const QString& c, const QString& d)
{
    return a + QLatin1Char('*') + b + QLatin1Char('*') + c + QLatin1Char('*') + d;
}

bool failWith(sql::Statement& st, QString* error)
{
    if (error) *error = st.error();
    return false;
}

// Writes one column of a key's record: an update, or a new record when the key has none.
bool storeColumn(const QString& key, const char* column, const QByteArray& value, QString* error)
{
    Session& s = session();
    sql::Database& db = s.store.db();
    sql::Transaction transaction(db);
    if (!transaction.isActive()) {
        if (error) *error = db.lastError();
        return false;
    }
    const QString name = QString::fromLatin1(column);
    sql::Statement update(db, QStringLiteral("UPDATE SHOW SET ") + name +
                                  QStringLiteral(" = ?2 WHERE ConCatId = ?1"));
    update.bind(1, key);
    if (value.isEmpty())
        update.bindNull(2);
    else
        update.bindBlob(2, value);
    if (!update.run()) return failWith(update, error);
    if (db.changes() == 0) {
        sql::Statement insert(db, QStringLiteral("INSERT INTO SHOW (ConCatId, ") + name +
                                      QStringLiteral(") VALUES (?1, ?2)"));
        insert.bind(1, key);
        if (value.isEmpty())
            insert.bindNull(2);
        else
            insert.bindBlob(2, value);
        if (!insert.run()) return failWith(insert, error);
    }
    return transaction.commit(error);
}

}  // namespace

QString ShowKeyOfItem(Timestamp itemId)
{
    return joinKey(idText(itemId), QStringLiteral("0"), QStringLiteral("0"), QString());
}

QString ShowKeyOfConcept(Timestamp conceptId)
{
    return joinKey(QStringLiteral("0"), idText(conceptId), QStringLiteral("0"), QString());
}

QString ShowKeyOfProject(const QString& project)
{
    return joinKey(QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), project);
}

bool ShowTableUsable()
{
    Session& s = session();
    return s.pictureTableAvailable && s.store.isOpen() &&
           s.store.isAttached(QStringLiteral("SHOW"));
}

bool ReadShowRecord(const QString& key, ShowRecord* record, QString* error)
{
    *record = ShowRecord();
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT Image, Audio FROM SHOW WHERE ConCatId = ?1"));
    st.bind(1, key);
    if (st.next()) {
        record->found = true;
        record->image = st.blobValue(0);
        record->audio = st.blobValue(1);
    }
    return st.ok() || failWith(st, error);
}

bool StoreShowImage(const QString& key, const QByteArray& image, QString* error)
{
    return storeColumn(key, "Image", image, error);
}

bool StoreShowAudio(const QString& key, const QByteArray& audio, QString* error)
{
    return storeColumn(key, "Audio", audio, error);
}

bool ClearShowAudio(const QString& key, QString* error)
{
    return storeColumn(key, "Audio", QByteArray(), error);
}

bool RemoveShowRecord(const QString& key, QString* error)
{
    sql::Statement st(session().store.db(), QStringLiteral("DELETE FROM SHOW WHERE ConCatId = ?1"));
    st.bind(1, key);
    return st.run() || failWith(st, error);
}

}  // namespace qb
