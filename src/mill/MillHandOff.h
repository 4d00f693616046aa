#pragma once

#include <QString>

#include <vector>

namespace qb::mill {

inline constexpr int kMaxCandidates = 12;

struct Candidate {
    QString word;
    int wordNo = 0;
};

// The word handed to the dictionary from a Mill selection: its first word in lower case. The
// form mark and blanks before it are skipped.
QString HandOffWord(const QString& selection);
// The number of the word, or of the word a form of it leads to; -1 when the dictionary does not
// know it.
int KnownWordNumber(const QString& word);
// Dictionary words beginning with the word's first n, n - 1, ... 2 characters, longest prefixes
// first, until more than kMaxCandidates were found. Prefixes are compared as text: "%", "_" and
// quotes match only themselves.
std::vector<Candidate> FindCandidates(const QString& word);
// Records word as a form of the candidate. On refusal (the form is there already, or the text is
// too long) says why and returns false.
bool AddForm(const QString& word, const Candidate& candidate);

}  // namespace qb::mill
