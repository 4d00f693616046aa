#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace qb::search {

// Where a search text stands in a text. Positions count characters (code points), from 1; a hit
// without a position (all-pictures search, unreadable text) has start and length 0.
struct TextHit {
    bool hit = false;
    int start = 0;
    int length = 0;
};

enum class MatchMode { Embedded, Exact };

// The 24 characters that end a word in exact mode.
bool IsWordDelimiter(QChar c);
// Lower case one code point at a time, so that every character keeps its place.
QString LowerForSearch(const QString& text);
// Where each UTF-16 unit of a folded text came from: the span [begin, end) of UTF-16 units in
// the original. Empty when the text folded unit for unit.
struct FoldMap {
    std::vector<int> begin;
    std::vector<int> end;
};
// A text in the form every comparison uses: Unicode normalisation form C, then LowerForSearch,
// so that "é" typed as one letter finds "e" + U+0301 as stored. What is stored never changes.
QString FoldForSearch(const QString& text, FoldMap* map = nullptr);
// NFC only, for a search text taken as given.
QString ComposedForSearch(const QString& text);
// What the Find dialog makes of its input: folded and trimmed of blanks.
QString SearchTextFromInput(const QString& input);
// The first occurrence of search in text compared in lower case (search as given). In exact mode
// only that occurrence counts, and only when a delimiter or the text's edge stands on both sides.
TextHit MatchText(const QString& text, const QString& search, MatchMode mode);
// The same for a text that is already folded with FoldForSearch (positions in the folded text).
TextHit MatchLowered(const QString& lowered, const QString& search, MatchMode mode);
// Characters (code points) in text.
int CharacterCount(QStringView text);

}  // namespace qb::search
