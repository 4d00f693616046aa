// The XML interchange on a large store, each against a baseline in the same run:
// - the desktop export of 200 item cards (their rows read as the cards were filled, then
//   ExportItemsAsXml) against reading the same 200 texts and writing them to a file plainly;
// - the import of a 1,000-item file (ImportXmlFile) against bare inserts of the same items with
//   their keywords in one transaction.
// Targets: the export under 0.2 s, the import under 1 s (exit status 1 otherwise).
//
//     bench_xml [--dir D] [--items N] [--runs R]

#include "BenchSupport.h"
#include "interchange/XmlExport.h"
#include "interchange/XmlImport.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Timestamps.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace qb;

namespace {

sql::Database& db() { return session().store.db(); }

// count ids spread evenly over the store.
std::vector<Timestamp> spreadIds(int count)
{
    std::vector<Timestamp> all;
    sql::Statement st(db(), QStringLiteral("SELECT IT FROM ITEM ORDER BY IT"));
    while (st.next()) all.push_back(st.extValue(0));
    std::vector<Timestamp> ids;
    const size_t step = std::max<size_t>(1, all.size() / size_t(count));
    for (size_t i = 0; i < all.size() && int(ids.size()) < count; i += step) ids.push_back(all[i]);
    return ids;
}

std::vector<XmlItem> loadItems(const std::vector<Timestamp>& ids)
{
    std::vector<XmlItem> items(ids.size());
    QString error;
    for (size_t i = 0; i < ids.size(); ++i)
        if (!LoadXmlItem(ids[i], &items[i], &error)) {
            std::fprintf(stderr, "item not read: %s\n", error.toLocal8Bit().constData());
            std::exit(2);
        }
    return items;
}

// Removes the items with these ids and their keywords (untimed clean-up between runs).
void removeItems(const std::vector<Timestamp>& ids)
{
    sql::Transaction transaction(db());
    sql::Statement item(db(), QStringLiteral("DELETE FROM ITEM WHERE IT > ?1 AND IT < ?2"));
    sql::Statement keys(db(), QStringLiteral("DELETE FROM ITEMKEYS WHERE IT > ?1 AND IT < ?2"));
    for (Timestamp id : ids) {
        for (sql::Statement* st : {&item, &keys}) {
            st->reset();
            st->bind(1, id - 1e-9L).bind(2, id + 1e-9L);
            st->run();
        }
    }
    transaction.commit();
}

double elapsedMs(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString dir;
    int items = 100000;
    int runs = 5;
    if (!bench::readOptions(app.arguments().mid(1),
                            {{"--dir", &dir}, {"--items", &items}, {"--runs", &runs}}) ||
        items < 1000 || runs < 1) {
        std::fprintf(stderr, "usage: bench_xml [--dir D] [--items N>=1000] [--runs R]\n");
        return 2;
    }
    QTemporaryDir scratch;
    if (dir.isEmpty()) dir = scratch.filePath(QStringLiteral("store"));
    bench::SyntheticStoreOptions options;
    options.items = items;
    bench::RecordingMessenger messenger;
    if (!bench::ensureSyntheticStore(dir, options) || !bench::openStore(dir, messenger)) return 2;
    QTemporaryDir out;

    // ---- the desktop export of 200 cards
    const std::vector<Timestamp> cardIds = spreadIds(200);
    std::vector<double> exportMs, plainExportMs;
    qint64 exportBytes = 0;
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the caches
        const QString folder = out.filePath(QStringLiteral("export%1").arg(run));
        QDir().mkpath(folder);
        QElapsedTimer timer;
        timer.start();
        QByteArray texts;
        sql::Statement text(db(), QStringLiteral("SELECT TX FROM ITEM WHERE IT > ?1 AND IT < ?2"));
        for (Timestamp id : cardIds) {
            text.reset();
            text.bind(1, id - 1e-9L).bind(2, id + 1e-9L);
            if (text.next()) texts += text.textValue(0).toUtf8() + '\n';
        }
        QFile plain(folder + QStringLiteral("/plain.txt"));
        if (!plain.open(QIODevice::WriteOnly) || plain.write(texts) != texts.size()) return 2;
        plain.close();
        const double plainMs = elapsedMs(timer);
        timer.restart();
        const QString path = ExportItemsAsXml(loadItems(cardIds), folder);
        const double ms = elapsedMs(timer);
        if (path.isEmpty()) {
            std::fprintf(stderr, "the export failed\n");
            return 2;
        }
        exportBytes = QFileInfo(path).size();
        if (run > 0) {
            exportMs.push_back(ms);
            plainExportMs.push_back(plainMs);
        }
    }

    // ---- the import of a 1,000-item file, made by exporting 1,000 of the store's items
    const std::vector<Timestamp> importIds = spreadIds(1000);
    const std::vector<XmlItem> importItems = loadItems(importIds);
    const QString source = ExportItemsAsXml(importItems, out.path());
    if (source.isEmpty()) return 2;
    // The word numbers and concepts the bare inserts write, found beforehand.
    struct BareKey {
        Timestamp conceptId;
        int wordNo;
    };
    std::vector<std::vector<BareKey>> bareKeys;
    {
        sql::Statement word(db(), QStringLiteral("SELECT WNo FROM WORD WHERE Word = ?1"));
        for (const XmlItem& item : importItems) {
            bareKeys.emplace_back();
            for (const XmlKeyword& k : item.keywords) {
                word.reset();
                word.bind(1, k.word);
                if (word.next()) bareKeys.back().push_back({k.conceptId, word.intValue(0)});
            }
        }
    }
    std::vector<double> importMs, bareMs;
    int imported = 0;
    for (int run = 0; run <= runs; ++run) {
        const QString file = out.filePath(QStringLiteral("in.xml"));
        QFile::remove(file);
        if (!QFile::copy(source, file)) return 2;
        QElapsedTimer timer;
        timer.start();
        const XmlImportResult result = ImportXmlFile(file);
        const double ms = elapsedMs(timer);
        if (result.outcome != XmlImportResult::Outcome::Imported) {
            std::fprintf(stderr, "the import failed: %s\n",
                         result.problem.toLocal8Bit().constData());
            return 2;
        }
        imported = int(result.items.size());
        removeItems(result.items);

        // Bare: the same texts and keywords with ids below every stored one.
        std::vector<Timestamp> bareIds;
        sql::Statement lowest(db(), QStringLiteral("SELECT min(IT) FROM ITEM"));
        const Timestamp below = lowest.next() ? lowest.extValue(0) - 1 : -50000;
        timer.restart();
        {
            sql::Transaction transaction(db());
            sql::Statement item(db(), QStringLiteral("INSERT INTO ITEM (IT, TX, ITS) "
                                                     "VALUES (?1, ?2, ?1)"));
            sql::Statement key(db(), QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, "
                                                    "WNo) VALUES (?1, ?2, ?3, ?4)"));
            for (size_t i = 0; i < importItems.size(); ++i) {
                const Timestamp id = below - Timestamp(i) * 0.00001L;
                bareIds.push_back(id);
                item.reset();
                item.bind(1, id).bind(2, importItems[i].text);
                item.run();
                int order = 0;
                for (const BareKey& k : bareKeys[i]) {
                    key.reset();
                    key.bind(1, id).bind(2, ++order).bind(3, k.conceptId).bind(4, k.wordNo);
                    key.run();
                }
            }
            if (!transaction.commit()) return 2;
        }
        const double bare = elapsedMs(timer);
        removeItems(bareIds);
        if (run > 0) {
            importMs.push_back(ms);
            bareMs.push_back(bare);
        }
    }

    const double exportMedian = bench::median(exportMs);
    const double plainMedian = bench::median(plainExportMs);
    const double importMedian = bench::median(importMs);
    const double bareMedian = bench::median(bareMs);
    std::printf("medians of %d runs\n", runs);
    std::printf("desktop export, 200 items (%lld bytes)  %8.2f ms   target < 200 ms\n",
                static_cast<long long>(exportBytes), exportMedian);
    std::printf("  plain: same 200 texts read and written   %8.2f ms   ratio %.2f\n", plainMedian,
                exportMedian / plainMedian);
    std::printf("import of a %d-item file              %8.2f ms   target < 1000 ms\n", imported,
                importMedian);
    std::printf("  bare inserts, one transaction           %8.2f ms   ratio %.2f\n", bareMedian,
                importMedian / bareMedian);
    return exportMedian < 200 && importMedian < 1000 ? 0 : 1;
}
