// Times the dictionary's order switches, look-ups and locates on a store of 100,000 words
// against the bare SQL that reads the same rows. Run: bench_dictionary [words]
#include "BenchSupport.h"
#include "dictionary/AlphabeticalWordIndex.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/LocateDialogLogic.h"
#include "dictionary/Words.h"
#include "floor/Messenger.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace qb;

namespace {

class BenchWindow : public DictionaryWindowHost {
public:
    DictionaryBrowser& browser() override { return browser_; }
    bool isShown() const override { return true; }
    bool gridHasFocus() const override { return true; }

private:
    DictionaryBrowser browser_;
};

void report(const char* what, double ms, double baselineMs = 0)
{
    if (baselineMs > 0)
        std::printf("%-52s %9.2f ms   (%.2f x bare SQL %.2f ms)\n", what, ms, ms / baselineMs,
                    baselineMs);
    else
        std::printf("%-52s %9.2f ms\n", what, ms);
}

QString randomWord(QRandomGenerator& random, int i)
{
    static const QString accented = QStringLiteral("éèäöüñçå");
    QString w;
    int n = 3 + random.bounded(9);
    for (int k = 0; k < n; ++k) w += QChar(u'a' + random.bounded(26));
    if (i % 20 == 0) w.insert(random.bounded(w.size()), accented[random.bounded(accented.size())]);
    if (i % 50 == 0) w += QStringLiteral(" ") + QChar(u'a' + random.bounded(26));
    return w;
}

bool fillStore(int words)
{
    sql::Database& db = session().store.db();
    QRandomGenerator random(2024);
    sql::Transaction tx(db);
    sql::Statement word(
        db,
        QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"));
    sql::Statement form(db,
                        QStringLiteral("INSERT OR IGNORE INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
    for (int i = 1; i <= words; ++i) {
        QString w = randomWord(random, i);
        word.reset();
        word.bind(1, w).bind(2, i).bind(3, -45000.0 - i * 0.00001);
        if (i % 3) word.bind(4, -45500.0 - random.bounded(100000) * 0.0001);
        word.bind(5, i % 4 ? 1 : -int(random.bounded(40)));
        form.reset();
        form.bind(1, w).bind(2, i);
        if (!word.run() || !form.run()) return false;
    }
    return tx.commit();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int words = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    if (words < 1000) words = 100000;
    QTemporaryDir dir;
    QString error;
    Session& s = session();
    s.setDir(dir.path());
    if (!schema::createEmptyStore(dir.path(), &error) || !s.store.open(dir.path(), &error)) {
        std::fprintf(stderr, "store: %s\n", qPrintable(error));
        return 1;
    }
    QElapsedTimer fill;
    fill.start();
    if (!fillStore(words)) {
        std::fprintf(stderr, "filling the store failed: %s\n",
                     qPrintable(s.store.db().lastError()));
        return 1;
    }
    std::printf("dictionary of %d words built in %lld ms (collation locale %s)\n\n", words,
                fill.elapsed(), qPrintable(AlphabeticalWordIndex::collationLocale().bcp47Name()));
    sql::Database& db = s.store.db();

    // Baselines: the bare statements that read what the orders need.
    double readAll = bench::timeMs([&] {
        sql::Statement st(db, QStringLiteral("SELECT rowid, Word FROM WORD ORDER BY Word, rowid"));
        while (st.next()) st.textValue(1);
    });
    double readPage = bench::timeMs([&] {
        sql::Statement st(
            db,
            QStringLiteral(
                "SELECT rowid, WNo, Word, WTS, WTS2, WFQ FROM WORD ORDER BY WTS LIMIT 200 OFFSET ?1"));
        st.bind(1, words / 2);
        while (st.next()) st.textValue(2);
    });
    double scanContains = bench::timeMs([&] {
        sql::Statement st(db,
                          QStringLiteral("SELECT rowid FROM WORD WHERE instr(Word, 'qqqzz') > 0"));
        while (st.next()) {}
    });
    report("bare SQL: all words in Word index order", readAll);
    report("bare SQL: 200 rows from the middle by WTS", readPage);
    report("bare SQL: full scan for a missing substring", scanContains);
    std::printf("\n");

    BenchWindow window;
    DictionaryWindows::instance().put(1, &window);
    DictionaryBrowser& b = window.browser();
    b.setCurrentIndex(words / 3);

    AlphabeticalWordIndex& index = AlphabeticalWordIndex::of(db);
    double cold = bench::timeMs([&] { b.setOrder(DictOrder::Alphabetical); }, 1);
    report("first switch to alphabetical (builds the order)", cold, readAll);

    const DictOrder cycle[] = {DictOrder::TimeStamp, DictOrder::Usage, DictOrder::Frequency,
                               DictOrder::Alphabetical};
    for (DictOrder order : cycle) {
        double ms = bench::timeMs([&] {
            b.setOrder(DictOrder::Alphabetical);
            b.setCurrentIndex(words / 2);
            b.setOrder(order);
        });
        QString label = QStringLiteral("switch alphabetical -> ") + dictOrderTitle(order).toLower();
        report(qPrintable(label), ms);
    }
    double titleCycle = bench::timeMs([&] {
        for (int i = 0; i < 4; ++i) b.nextOrder();
    });
    report("four title clicks (one full cycle)", titleCycle);

    // A word added: the next alphabetical display brings the order up to date.
    int buildsBefore = index.buildCount();
    int updatesBefore = index.updateCount();
    double create = 0;
    double afterAdd = bench::timeMs([&] {
        QElapsedTimer t;
        t.start();
        CreateWord(QStringLiteral("benchmarkword"));
        create = t.nsecsElapsed() / 1e6;
        b.refresh();
        b.setOrder(DictOrder::TimeStamp);
        b.setOrder(DictOrder::Alphabetical);
    });
    report("CreateWord (one transaction, synchronous commit)", create);
    report("add a word, then show alphabetical again", afterAdd - create, readAll);
    std::printf("   (%d builds from scratch, %d updates in those runs)\n",
                index.buildCount() - buildsBefore, index.updateCount() - updatesBefore);

    // Locate: the search of the dictionary window, plain mode, from the top.
    DictionaryRow target = b.row(words * 3 / 4);
    dictionaryHooks().runLocateDialog = [&] {
        LocateDialogLogic dialog;
        dialog.activate(QString());
        dialog.setInput(dictionaryState().locate.history.value(0));
        dialog.ok();
        dialog.closed();
    };
    auto locate = [&](const QString& text) {
        dictionaryState().locate.history = {text};
        dictionaryState().locate.incrementalVisible = false;
        dictionaryState().locate.showDialog = true;
        DictLocate(window, true);
        dictionaryState().locate.incrementalVisible = true;
    };
    s.settings.quiet = true;  // no beeps or questions for the failing searches
    dictionaryState().locate.incrementalChecked = false;
    struct NoQuestions : Messenger {
        MessageReply showInfo(const MessageRequest&) override
        {
            return {MessageButton::Cancel, {}};
        }
        void plainMessage(const QString&) override {}
        void beep() override {}
    } silent;
    s.setMessenger(&silent);
    for (DictOrder order : cycle) {
        b.setOrder(order);
        QString title = dictOrderTitle(order).toLower();
        double exact = bench::timeMs([&] { locate(target.word); });
        report(qPrintable(QStringLiteral("locate a whole word, ") + title), exact);
        double part = bench::timeMs([&] { locate(target.word.mid(1, 4)); });
        report(qPrintable(QStringLiteral("locate part of a word, ") + title), part, scanContains);
        double missing = bench::timeMs([&] { locate(QStringLiteral("qqqzz")); });
        report(qPrintable(QStringLiteral("failed locate (whole table), ") + title), missing,
               scanContains);
        double byNumber = bench::timeMs([&] { b.positionOnWordNo(words / 5); });
        report(qPrintable(QStringLiteral("position on a word number, ") + title), byNumber);
        QRandomGenerator random(5);
        double rows = bench::timeMs([&] {
            for (int i = 0; i < 20; ++i) b.row(random.bounded(b.rowCount()));
        });
        report(qPrintable(QStringLiteral("20 rows at random places, ") + title), rows,
               readPage * 20);
    }
    s.setMessenger(nullptr);
    DictionaryWindows::instance().clear();
    s.store.close();
    return 0;
}
