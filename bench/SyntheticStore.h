#pragma once

#include <QString>
#include <QtGlobal>

namespace qb::bench {

struct SyntheticStoreOptions {
    int items = 1000;
    // Projects the items are linked to; below 0: one for every ten items.
    int projects = -1;
    quint64 seed = 1;
    // One item in this many carries a small BMP picture (0: none).
    int pictureEvery = 30;
    // Write the frequency marks a start would compute; otherwise every WFQ is 1, as after an
    // import that no start has seen yet.
    bool freshFrequencies = true;
    // Table files already in the directory are replaced; otherwise they make the run fail.
    bool replace = false;
};

// What was written, table by table.
struct SyntheticStoreCounts {
    qint64 items = 0;
    qint64 pictures = 0;
    qint64 itemKeys = 0;
    qint64 itemProjects = 0;
    qint64 words = 0;
    qint64 unusedWords = 0;
    qint64 concepts = 0;
    qint64 conceptWords = 0;
    qint64 inflections = 0;
    qint64 projects = 0;
    qint64 projectOrders = 0;
    qint64 associations = 0;
    qint64 textBytes = 0;
};

// Writes a synthetic store into dir (made when missing) straight into the table files: items
// with 1-6 keywords and 0-3 projects, about items/2 words (some not Latin), items/4 concepts
// of 1-5 words, inflections, the projects (items/10 unless given) with categories,
// associations and project orders. Ids come from
// a timestamp sequence that starts on a fixed day, so the same seed gives the same store.
bool writeSyntheticStore(const QString& dir, const SyntheticStoreOptions& options,
                         SyntheticStoreCounts* counts, QString* error);

}  // namespace qb::bench
