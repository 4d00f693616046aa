#pragma once

#include <QString>
#include <QStringView>

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
// What the Find dialog makes of its input: lower-cased and trimmed of blanks.
QString SearchTextFromInput(const QString& input);
// The first occurrence of search in text compared in lower case (search as given). In exact mode
// only that occurrence counts, and only when a delimiter or the text's edge stands on both sides.
TextHit MatchText(const QString& text, const QString& search, MatchMode mode);
// The same for a text that is already lower-cased with LowerForSearch.
TextHit MatchLowered(const QString& lowered, const QString& search, MatchMode mode);
// Characters (code points) in text.
int CharacterCount(QStringView text);

}  // namespace qb::search
