#pragma once

#include "store/Timestamps.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <utility>
#include <vector>

namespace qb::test {

// Rows written straight into the open store of the session, for tests that need a store with
// words, concepts, items and projects before the code under test runs. A statement that fails
// fails the test with its text and the engine's error.
class StoreSeed {
public:
    // Runs one statement with its values bound in order (?1, ?2, ...).
    void exec(const QString& sql, const QVariantList& values = {});
    // Every row of a query, columns joined with "|".
    QStringList rows(const QString& sql);

    // A WORD row; returns its number.
    int addWord(int wordNo, const QString& word, double wts = -1, int wfq = 1, double wts2 = -1);
    // A concept: one DICT row per word (CTS = cts, or the id when 0); returns the id.
    Timestamp addConcept(Timestamp conceptId, const std::vector<int>& wordNos, Timestamp cts = 0);
    // One keyword link of an item.
    void addKeyword(Timestamp itemId, int order, Timestamp conceptId, int wordNo);
    // A PROJECT row; returns its timestamp.
    Timestamp addProject(const QString& name, Timestamp pts);
    // An ITEM record (ITS = its, or the id when 0) with keyword links (Order 1..n) and project
    // links (Order 1..n); returns the id.
    Timestamp addItem(Timestamp id, const QString& text,
                      const std::vector<std::pair<Timestamp, int>>& keys = {},
                      const QStringList& projects = {}, Timestamp its = 0);
};

}  // namespace qb::test
