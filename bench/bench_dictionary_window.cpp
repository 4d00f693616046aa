// Times what a user of a dictionary window waits for on a store of 100,000 words: the title
// click to each order, the locate, going to a word and a new word shown in the window, each
// through the window's grid with its rows painted. Baseline: the bare SQL that reads one page of
// rows. Run: bench_dictionary_window [words]   (offscreen unless a display is asked for)
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include "BenchSupport.h"

#include "cards/Desktop.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/LocateDialogLogic.h"
#include "dictionary/Words.h"
#include "floor/Messenger.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/Wiring.h"
#include "store/Schema.h"

using namespace qb;

namespace {

void report(const char* what, double ms, double baselineMs = 0)
{
    if (baselineMs > 0)
        std::printf("%-56s %9.2f ms   (%.1f x bare SQL %.2f ms)\n", what, ms, ms / baselineMs,
                    baselineMs);
    else
        std::printf("%-56s %9.2f ms\n", what, ms);
}

bool fillStore(int words)
{
    sql::Database& db = session().store.db();
    QRandomGenerator random(77);
    sql::Transaction tx(db);
    sql::Statement word(
        db,
        QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, ?3, ?4, ?5)"));
    for (int i = 1; i <= words; ++i) {
        QString w;
        int n = 3 + random.bounded(9);
        for (int k = 0; k < n; ++k) w += QChar(u'a' + random.bounded(26));
        if (i % 25 == 0) w += QStringLiteral("é");
        word.reset();
        word.bind(1, w).bind(2, i).bind(3, -45000.0 - i * 0.00001);
        if (i % 3) word.bind(4, -45500.0 - random.bounded(100000) * 0.0001);
        word.bind(5, i % 4 ? 1 : -int(random.bounded(40)));
        if (!word.run()) return false;
    }
    return tx.commit();
}

struct Silent : Messenger {
    MessageReply showInfo(const MessageRequest&) override { return {MessageButton::Cancel, {}}; }
    void plainMessage(const QString&) override {}
    void beep() override {}
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariable("QUILLBOX_BENCH_DISPLAY") != QStringLiteral("1"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int words = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    if (words < 1000) words = 100000;
    QTemporaryDir dir;
    QString error;
    Session& s = session();
    Silent silent;
    s.setMessenger(&silent);
    s.setDir(dir.path());
    if (!schema::createEmptyStore(dir.path(), &error) || !s.store.open(dir.path(), &error) ||
        !fillStore(words)) {
        std::fprintf(stderr, "store: %s\n", qPrintable(error));
        return 1;
    }
    s.settings.quiet = true;
    std::printf("dictionary window on %d words\n\n", words);

    double page = bench::timeMs([&] {
        sql::Statement st(s.store.db(),
                          QStringLiteral("SELECT rowid, WNo, Word, WTS, WTS2, WFQ FROM WORD "
                                         "ORDER BY WTS LIMIT 200 OFFSET ?1"));
        st.bind(1, words / 2);
        while (st.next()) st.textValue(2);
    });
    report("bare SQL: 200 rows from the middle by WTS", page);

    TDesktop desktop;
    WireDesktop();
    desktop.resize(1000, 800);
    desktop.show();
    QElapsedTimer open;
    open.start();
    TDict* w = Newdictwindow1Click(desktop);
    w->resize(260, 700);
    w->grid()->viewport()->repaint();
    report("open a window (time stamp order, painted)", open.nsecsElapsed() / 1e6);
    // Rendering the grid's visible rows, as a paint of the window does.
    auto paint = [&] { w->grid()->viewport()->grab(); };

    w->browser().setCurrentIndex(words / 3);
    w->rowsChanged();
    double first = bench::timeMs(
        [&] {
            w->browser().setOrder(DictOrder::Alphabetical);
            w->rowsChanged();
            paint();
        },
        1);
    report("first alphabetical order (builds the locale order)", first);

    const DictOrder cycle[] = {DictOrder::TimeStamp, DictOrder::Usage, DictOrder::Frequency,
                               DictOrder::Alphabetical};
    for (DictOrder target : cycle) {
        // From the order before it, on a word in the middle: each run is one title click.
        DictOrder before = target;
        while (nextDictOrder(before) != target) before = nextDictOrder(before);
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            w->browser().setOrder(before);
            w->browser().setCurrentIndex(words / 2 + i);
            w->rowsChanged();
            QElapsedTimer t;
            t.start();
            w->TitleClick();
            paint();
            runs.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(runs.begin(), runs.end());
        report(qPrintable(QStringLiteral("title click to ") + dictOrderTitle(target).toLower()),
               runs[2], page);
    }
    double clicks = bench::timeMs([&] {
        for (int i = 0; i < 4; ++i) {
            w->TitleClick();
            paint();
        }
    });
    report("four title clicks, each painted", clicks);

    DictionaryRow target = w->browser().row(words * 3 / 4);
    dictionaryHooks().runLocateDialog = [] {
        LocateDialogLogic dialog;
        dialog.activate(QString());
        dialog.setInput(dictionaryState().locate.history.value(0));
        dialog.ok();
        dialog.closed();
    };
    auto locate = [&](const QString& text) {
        dictionaryState().locate.history = {text};
        LocateCommand(*w);
        w->rowsChanged();
        paint();
    };
    dictionaryState().locate.incrementalChecked = false;
    for (DictOrder order : cycle) {
        w->browser().setOrder(order);
        w->rowsChanged();
        QString title = dictOrderTitle(order).toLower();
        report(qPrintable(QStringLiteral("locate a whole word, ") + title),
               bench::timeMs([&] { locate(target.word); }));
        report(qPrintable(QStringLiteral("locate part of a word, ") + title),
               bench::timeMs([&] { locate(target.word.mid(1, 3)); }));
        report(qPrintable(QStringLiteral("go to a word number (DictPositionFromMain), ") + title),
               bench::timeMs([&] {
                   DictPositionFromMain(words / 5);
                   paint();
               }));
        QRandomGenerator random(3);
        report(qPrintable(QStringLiteral("scroll to 10 random places, painted, ") + title),
               bench::timeMs([&] {
                   for (int i = 0; i < 10; ++i) {
                       w->grid()->scrollTo(w->grid()->model()->index(random.bounded(words), 0));
                       paint();
                   }
               }));
    }
    int added = 0;
    double insert = bench::timeMs([&] {
        CallNewWord(QStringLiteral("benchword%1").arg(++added), true);
        paint();
    });
    report("a new word shown in the window (alphabetical order)", insert);

    delete w;
    dictionaryHooks() = DictionaryHooks();
    s.store.close();
    s.setMessenger(nullptr);
    return 0;
}
