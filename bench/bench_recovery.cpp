// bench_recovery: one write of the recovery file with 200 changed cards (the snapshot taken on
// the program's thread, then the write, flush and rename), against writing the same bytes with
// a plain file write. The target is under 20 ms for the whole write.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"
#include "items/RecoveryFile.h"
#include "platform/FileNames.h"

namespace {

// Cards as a working day leaves them: a paragraph or two, a few keywords and projects each, and
// some concept cards.
std::vector<std::unique_ptr<qb::CardData>> changedCards(int count)
{
    std::vector<std::unique_ptr<qb::CardData>> cards;
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 9) {
            auto c = std::make_unique<qb::ConceptCardData>();
            c->conceptId = -45000.0L - i;
            for (int w = 0; w < 5; ++w)
                c->words.push_back({i * 10 + w, QStringLiteral("word%1").arg(w)});
            c->changed = true;
            cards.push_back(std::move(c));
            continue;
        }
        auto item = std::make_unique<qb::ItemCardData>();
        item->itemId = -46000.0L - i * 0.5L;
        for (int line = 0; line < 12; ++line)
            item->text +=
                QStringLiteral("Line %1 of item %2, with the kind of words a note holds.\n")
                    .arg(line)
                    .arg(i);
        for (int k = 0; k < 4; ++k)
            item->keywords.push_back({-45000.0L - k, k + 1, QStringLiteral("keyword%1").arg(k)});
        item->projects = {QStringLiteral("GARDEN"), QStringLiteral("TRAVEL")};
        item->pos = QPoint(i % 1900, i % 1900);
        item->changed = true;
        cards.push_back(std::move(item));
    }
    return cards;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 200;
    int runs = 21;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--cards"))
            count = args[i + 1].toInt();
        else if (args[i] == QStringLiteral("--runs"))
            runs = args[i + 1].toInt();
        else {
            std::fprintf(stderr, "usage: bench_recovery [--cards C] [--runs R]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    const QString path = qb::recovery::FilePath(dir.path());
    const auto cards = changedCards(count);
    std::vector<const qb::CardData*> view;
    for (const auto& c : cards) view.push_back(c.get());

    QByteArray bytes;
    bool ok = true;
    const double snapshot = qb::bench::timeMs([&] { bytes = qb::recovery::Serialize(view); }, runs);
    const double whole = qb::bench::timeMs(
        [&] { ok = qb::files::writeBytesFile(path, qb::recovery::Serialize(view)) && ok; }, runs);
    const double plain = qb::bench::timeMs(
        [&] {
            QFile f(QDir(dir.path()).filePath(QStringLiteral("plain.txt")));
            ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && ok;
        },
        runs);
    const qb::recovery::Contents back = qb::recovery::Parse(bytes);
    if (!ok || !back.ok() || int(back.cards.size()) != count) {
        std::fprintf(stderr, "the recovery file did not come back whole\n");
        return 1;
    }
    std::printf("cards %d, file %lld bytes\n", count, static_cast<long long>(bytes.size()));
    std::printf("snapshot (program thread)   %8.2f ms\n", snapshot);
    std::printf("whole write (fsync, rename) %8.2f ms   target < 20 ms: %s\n", whole,
                whole < 20.0 ? "met" : "MISSED");
    std::printf("plain write baseline        %8.2f ms   ratio %.1f\n", plain,
                plain > 0 ? whole / plain : 0.0);
    return 0;
}
