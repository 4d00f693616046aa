// bench_inflections: the word forms on a large store, each against the bare SQL of the same rows
// in the same run. The look-up menu of a word with 30 forms; "&Find in Item texts" on an
// inflection window of five forms, each search laying out its first batch of hit cards on an
// offscreen desktop with the text index ("Stop now?" answered Yes); 20 inflection windows
// opened one after the other.
#include "BenchSupport.h"
#include "SyntheticStore.h"

#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/InflectionWindow.h"
#include "dictionary/Words.h"
#include "platform/Sqlite.h"
#include "search/ItemTextIndex.h"
#include "search/LookupMenuRules.h"
#include "search/SearchCommands.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using namespace qb;

sql::Database& db() { return session().store.db(); }

bool addForms(int wordNo, const QStringList& forms)
{
    sql::Statement st(db(),
                      QStringLiteral("INSERT OR IGNORE INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
    for (const QString& form : forms) {
        st.reset();
        st.bind(1, form).bind(2, wordNo);
        if (!st.run()) return false;
    }
    return true;
}

void report(const char* what, double ms, double bare, double target)
{
    std::printf("%s: %.2f ms; bare SQL %.2f ms (x%.1f); %s %.0f ms\n", what, ms, bare,
                bare > 0 ? ms / bare : 0.0, ms < target ? "under" : "OVER", target);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir;
    bench::SyntheticStoreOptions options;
    options.items = 100000;
    int runs = 5;
    if (!bench::readOptions(args,
                            {{"--dir", &dir}, {"--items", &options.items}, {"--runs", &runs}}) ||
        options.items <= 0 || runs <= 0) {
        std::fprintf(
            stderr,
            "usage: bench_inflections [--dir DIR] [--items N] [--runs R]\n"
            "  DIR holding a store is used (forms are added to it); otherwise a store\n"
            "  of N items (default 100000) is generated there or in a temporary folder.\n");
        return 2;
    }
    QTemporaryDir temp;
    if (dir.isEmpty()) dir = temp.path();
    if (!bench::ensureSyntheticStore(dir, options)) return 1;
    bench::RecordingMessenger messenger;  // "Stop now?" takes its default, Yes
    if (!bench::openStore(dir, messenger)) return 1;
    if (!search::itemTextIndex().ensureCurrent(db())) {
        std::fprintf(stderr, "the index could not be brought up to date\n");
        return 1;
    }

    // The look-up menu of a word with 30 forms (itself and 29 others).
    const int garden = WordNumberOf(QStringLiteral("garden"));
    QStringList gardenForms{QStringLiteral("garden")};
    for (int i = 0; i < 29; ++i)
        gardenForms << QStringLiteral("garden%1").arg(i, 2, 10, QLatin1Char('0'));
    if (garden < 0 || !addForms(garden, gardenForms)) {
        std::fprintf(stderr, "no word \"garden\" to give forms\n");
        return 1;
    }
    size_t entries = 0;
    const double menuMs = bench::timeMs(
        [&] { entries = search::BuildLookupMenu(QStringLiteral("garden")).entries.size(); }, runs);
    const double menuBare = bench::timeMs(
        [&] {
            sql::Statement word(db(), QStringLiteral("SELECT WNo FROM WORD WHERE Word = ?1"));
            word.bind(1, QStringLiteral("garden"));
            word.next();
            sql::Statement words(db(), QStringLiteral("SELECT WNo FROM INFLEC WHERE Word = ?1"));
            words.bind(1, QStringLiteral("garden"));
            while (words.next()) {
                sql::Statement forms(db(),
                                     QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = ?1"));
                forms.bind(1, words.intValue(0));
                while (forms.next()) forms.textValue(0);
            }
        },
        runs);
    std::printf("(%zu menu entries)\n", entries);
    report("look-up menu of a word with 30 forms", menuMs, menuBare, 20);

    TDesktop desktop;
    desktop.resize(1200, 900);
    desktop.show();
    WireDesktop();
    WireItemDesktop(desktop);
    dictionaryHooks().findInItemTexts = [&desktop](const QString& form) {
        search::SearchRequest request;
        request.text = form;
        return !search::ItemTextSearch(desktop, 30, request).escaped;
    };
    QCoreApplication::processEvents();

    // "&Find in Item texts" on five forms that all occur in many texts (the heaviest case).
    const int water = WordNumberOf(QStringLiteral("water"));
    const QStringList five{QStringLiteral("water"), QStringLiteral("winter"),
                           QStringLiteral("summer"), QStringLiteral("window"),
                           QStringLiteral("river")};
    if (water < 0 || !addForms(water, five)) return 1;
    const int batch = std::max(1, session().settings.findBatchSize);
    std::vector<double> findMs;
    std::vector<double> findBare;
    size_t cards = 0;
    for (int r = 0; r <= runs; ++r) {
        ClearCards(desktop, ClearCommand::Desktop);
        search::searchState().resume.clear();
        QCoreApplication::processEvents();
        TInflect* window = OpenInflectionWindow(desktop, water, QStringLiteral("water"), {});
        QElapsedTimer timer;
        timer.start();
        window->command(QStringLiteral("MultFindText"));
        QCoreApplication::processEvents();
        const double ms = timer.nsecsElapsed() / 1e6;
        cards = desktop.cardsOfKind(CardKind::Item).size();
        timer.restart();
        sql::Statement st(db(),
                          QStringLiteral("SELECT IT, TX FROM ITEM WHERE TX LIKE ?1 LIMIT ?2"));
        for (const QString& form : five) {
            st.reset();
            st.bind(1, QStringLiteral("%") + form + QStringLiteral("%")).bind(2, batch);
            while (st.next()) st.textValue(1);
        }
        const double bare = timer.nsecsElapsed() / 1e6;
        if (r == 0) continue;  // warm-up
        findMs.push_back(ms);
        findBare.push_back(bare);
    }
    std::printf("(%zu hit cards on the desktop)\n", cards);
    report("Find in Item texts, five forms", bench::median(findMs), bench::median(findBare), 500);

    // 20 inflection windows opened in a row.
    std::vector<int> words;
    sql::Statement first(db(), QStringLiteral("SELECT WNo, Word FROM WORD ORDER BY WNo LIMIT 20"));
    QStringList texts;
    while (first.next()) {
        words.push_back(first.intValue(0));
        texts << first.textValue(1);
    }
    std::vector<double> openMs;
    std::vector<double> openBare;
    for (int r = 0; r <= runs; ++r) {
        ClearCards(desktop, ClearCommand::Desktop);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        for (size_t k = 0; k < words.size(); ++k)
            OpenInflectionWindow(desktop, words[k], texts.at(int(k)), {});
        QCoreApplication::processEvents();
        const double ms = timer.nsecsElapsed() / 1e6;
        timer.restart();
        sql::Statement st(db(), QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = ?1"));
        for (int w : words) {
            st.reset();
            st.bind(1, w);
            while (st.next()) st.textValue(0);
        }
        const double bare = timer.nsecsElapsed() / 1e6;
        if (r == 0) continue;
        openMs.push_back(ms);
        openBare.push_back(bare);
    }
    report("20 inflection windows opened", bench::median(openMs), bench::median(openBare), 1000);
    for (const QString& seen : messenger.seen)
        if (!seen.startsWith(QStringLiteral("Stop now?")))
            std::printf("message: %s\n", qPrintable(seen));
    return 0;
}
