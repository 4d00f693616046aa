// bench_associations: the association jump's reading and choice (AssociatedRows and
// ChooseAssociated, as ShowAssociatedItem runs them) on an ITMSJMP of 2,000,000 rows, against the
// bare read of the same rows; and the rows one pair keeps after many moves. Target: the jump
// under 10 ms.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <set>
#include <vector>

#include "BenchSupport.h"
#include "items/Associations.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rows = 2000000;
    int items = 20000;
    QString dir;
    if (!qb::bench::readOptions(app.arguments().mid(1),
                                {{"--rows", &rows}, {"--items", &items}, {"--dir", &dir}}) ||
        rows < 2 || items < 2) {
        std::fprintf(stderr, "usage: bench_associations [--rows N] [--items N] [--dir DIR]\n");
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    QString error;
    if (!qb::schema::createEmptyStore(dir, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    qb::bench::RecordingMessenger messenger;
    if (!qb::bench::openStore(dir, messenger)) return 1;
    qb::sql::Database& db = qb::session().store.db();
    auto id = [](int i) { return -43000.0L - i * 0.01L; };

    if (qb::sql::Statement count(db, QStringLiteral("SELECT COUNT(*) FROM ITMSJMP"));
        count.next() && count.intValue(0) < rows) {
        db.exec(QStringLiteral("DELETE FROM ITMSJMP"));
        qb::sql::Transaction fill(db);
        qb::sql::Statement insert(
            db, QStringLiteral("INSERT INTO ITMSJMP (ITS1, ITS2, TS) VALUES (?1, ?2, ?3)"));
        const QDateTime start(QDate(2019, 1, 7), QTime(8, 0));
        for (int k = 0; k < rows; ++k) {
            insert.reset();
            insert.bind(1, id(k % items))
                .bind(2, id((k * 7 + 1) % items))
                .bind(3, start.addSecs(k).toString(Qt::ISODateWithMs));
            if (!insert.run()) {
                std::fprintf(stderr, "%s\n", qPrintable(insert.error()));
                return 1;
            }
        }
        fill.commit();
    }
    if (qb::sql::Statement plan(db, QStringLiteral("EXPLAIN QUERY PLAN SELECT ITS2 FROM ITMSJMP "
                                                   "WHERE ITS1 = ?1 ORDER BY ITS1, ITS2, TS"));
        plan.next())
        std::printf("plan: %s\n", qPrintable(plan.textValue(3)));

    // 200 cards on the desktop; the jump asks for each row whether its item is free.
    std::set<double> onDesktop;
    for (int i = 0; i < 200; ++i) onDesktop.insert(double(id(i * 97 % items)));
    int next = 0;
    const double bare = qb::bench::timeMs(
        [&] {
            qb::sql::Statement st(db, QStringLiteral("SELECT ITS2 FROM ITMSJMP WHERE ITS1 = ?1"));
            st.bind(1, id(next++ % items));
            while (st.next()) {}
        },
        51);
    const double jump = qb::bench::timeMs(
        [&] {
            const std::vector<qb::Timestamp> found = qb::AssociatedRows(id(next++ % items));
            qb::ChooseAssociated(found,
                                 [&](qb::Timestamp t) { return !onDesktop.count(double(t)); }, {});
        },
        51);
    std::printf("rows %d over %d items: bare read %.3f ms, jump %.3f ms (ratio %.2f)\n", rows,
                items, bare, jump, bare > 0 ? jump / bare : 0.0);

    // One pair moved between many times keeps a bounded number of rows.
    QDateTime when(QDate(2026, 1, 1), QTime(9, 0));
    const double store = qb::bench::timeMs(
        [&] {
            qb::StoreAssociation(-1.5L, -2.5L, when);
            when = when.addSecs(1);
        },
        501);
    qb::sql::Statement pair(db, QStringLiteral("SELECT COUNT(*) FROM ITMSJMP WHERE ITS1 = -1.5"));
    pair.next();
    std::printf("501 moves between two items: %.3f ms a move, %d rows each way\n", store,
                pair.intValue(0));
    return jump < 10.0 ? 0 : 1;
}
