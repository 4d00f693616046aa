#pragma once

#include "search/TextSearch.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QVariant>

#include <vector>

namespace qb::test {

// A store with items, and a search run that records what it found.
class SearchFixture : public StoreFixture {
protected:
    struct Found {
        std::vector<search::ConceptHit> concepts;
        std::vector<search::ItemHit> items;
        search::SearchOutcome outcome;
    };

    // Gives the item a picture (any stored bytes count).
    void givePicture(Timestamp id)
    {
        exec(QStringLiteral("UPDATE ITEM SET Animation = ?2 WHERE IT = ?1"),
             {double(id), QByteArray("BM picture")});
    }

    // Runs the search; stopAt lists the answers to "Stop now?" in turn (No when they run out).
    Found run(search::SearchRequest request, std::vector<bool> stopAnswers = {},
              CardHost* host = nullptr)
    {
        Found found;
        search::SearchCallbacks callbacks;
        callbacks.conceptFound = [&found](const search::ConceptHit& h) {
            found.concepts.push_back(h);
        };
        callbacks.itemFound = [&found](const search::ItemHit& h) { found.items.push_back(h); };
        std::size_t asked = 0;
        callbacks.stopNow = [&stopAnswers, &asked] {
            return asked < stopAnswers.size() ? bool(stopAnswers[asked++]) : false;
        };
        callbacks.processEvents = [] {};
        found.outcome = search::RunTextSearch(request, callbacks, host);
        return found;
    }

    static search::SearchRequest request(const QString& text,
                                         search::MatchMode mode = search::MatchMode::Embedded,
                                         search::ItemWalk walk = search::ItemWalk::Indexed)
    {
        search::SearchRequest r;
        r.text = text;
        r.mode = mode;
        r.walk = walk;
        r.fromDialog = false;
        return r;
    }

    // Ids as stored (8-byte reals), so that ids written as long double literals compare.
    static std::vector<double> ids(const Found& found)
    {
        std::vector<double> r;
        for (const auto& h : found.items) r.push_back(double(h.itemId));
        return r;
    }
    static std::vector<double> stored(std::initializer_list<Timestamp> list)
    {
        std::vector<double> r;
        for (Timestamp id : list) r.push_back(double(id));
        return r;
    }
};

}  // namespace qb::test
