#include "search/TextMatch.h"

#include "platform/TextChecks.h"

namespace qb::search {

bool IsWordDelimiter(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case ',':
    case '.':
    case ';':
    case ':':
    case '-':
    case '/':
    case '\\':
    case '(':
    case ')':
    case '"':
    case '!':
    case '?':
    case '*':
    case '<':
    case '>':
    case '_':
    case '}':
    case '{':
    case '[':
    case ']':
    case '\'':
    case '\n':
    case '\r': return true;
    default: return false;
    }
}

QString LowerForSearch(const QString& text)
{
    QString lowered;
    lowered.reserve(text.size());
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            lowered.append(c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c);
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        }
        // Simple case mapping: one code point for one, never a longer form.
        const char32_t lower = QChar::toLower(code);
        if (QChar::requiresSurrogates(lower)) {
            lowered.append(QChar::highSurrogate(lower));
            lowered.append(QChar::lowSurrogate(lower));
        } else {
            lowered.append(QChar(char16_t(lower)));
        }
    }
    return lowered;
}

namespace {

// The precomposed letters that form C replaces (singletons and composition exclusions, such as
// U+212B ANGSTROM SIGN or U+0958): few, so they are found once by asking Qt about every letter
// with a canonical decomposition.
const std::vector<bool>& ReplacedInFormC()
{
    static const std::vector<bool> table = [] {
        std::vector<bool> replaced(0x110000, false);
        for (char32_t c = 0x300; c < 0x110000; ++c) {
            if (QChar::decompositionTag(c) != QChar::Canonical) continue;
            const QString one = QString::fromUcs4(&c, 1);
            replaced[c] = one.normalized(QString::NormalizationForm_C) != one;
        }
        return replaced;
    }();
    return table;
}

// Whether form C may differ around this code point: a combining mark (or a vowel sign that
// composes with the letter before it), a Hangul jamo, or a letter form C replaces. Below U+0300
// nothing composes or decomposes.
bool MayChangeInFormC(char32_t c)
{
    if (c < 0x300) return false;
    if (QChar::combiningClass(c) != 0) return true;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing: return true;
    default: break;
    }
    if ((c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) ||
        (c >= 0xD7B0 && c <= 0xD7FF))
        return true;
    return ReplacedInFormC()[c];
}

// True for a text already in form C, as nearly every stored text is; cheap for any script.
bool AlreadyComposed(const QString& text)
{
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x300) continue;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text.at(++i));
        if (MayChangeInFormC(code)) return false;
    }
    return true;
}

}  // namespace

QString ComposedForSearch(const QString& text)
{
    return AlreadyComposed(text) ? text : text.normalized(QString::NormalizationForm_C);
}

QString FoldForSearch(const QString& text, FoldMap* map)
{
    if (map) *map = FoldMap();
    if (AlreadyComposed(text)) return LowerForSearch(text);
    QString folded;
    folded.reserve(text.size());
    std::vector<int> begin;
    std::vector<int> end;
    const int n = int(text.size());
    int i = 0;
    // Composition never reaches across a character below U+0300, so the text folds in
    // segments that each start at one; a segment that folds unchanged maps unit for unit.
    while (i < n) {
        int j = i + 1;
        while (j < n && text.at(j).unicode() >= 0x300) ++j;
        const QString segment = text.mid(i, j - i);
        const QString composed = segment.normalized(QString::NormalizationForm_C);
        const QString lowered = LowerForSearch(composed);
        if (composed == segment) {
            // LowerForSearch keeps one code point for one, though not always its width.
            int from = i;
            for (int u = 0; u < int(lowered.size());) {
                const int inWidth = text.at(from).isHighSurrogate() && from + 1 < j ? 2 : 1;
                const int outWidth =
                    lowered.at(u).isHighSurrogate() && u + 1 < int(lowered.size()) ? 2 : 1;
                for (int k = 0; k < outWidth; ++k) {
                    begin.push_back(from);
                    end.push_back(from + inWidth);
                }
                from += inWidth;
                u += outWidth;
            }
        } else {
            for (int u = 0; u < int(lowered.size()); ++u) {
                begin.push_back(i);
                end.push_back(j);
            }
        }
        folded += lowered;
        i = j;
    }
    if (map) {
        map->begin = std::move(begin);
        map->end = std::move(end);
    }
    return folded;
}

QString SearchTextFromInput(const QString& input) { return FoldForSearch(input).trimmed(); }

int CharacterCount(QStringView text) { return CodePointCount(text); }

namespace {

// The UTF-16 index of the hit in lowered, or -1.
qsizetype FindLowered(const QString& lowered, const QString& search, MatchMode mode)
{
    if (search.isEmpty()) return -1;
    const qsizetype at = lowered.indexOf(search, 0, Qt::CaseSensitive);
    if (at < 0) return -1;
    if (mode == MatchMode::Exact) {
        if (at > 0 && !IsWordDelimiter(lowered.at(at - 1))) return -1;
        const qsizetype after = at + search.size();
        if (after < lowered.size() && !IsWordDelimiter(lowered.at(after))) return -1;
    }
    return at;
}

}  // namespace

TextHit MatchLowered(const QString& lowered, const QString& search, MatchMode mode)
{
    TextHit result;
    const qsizetype at = FindLowered(lowered, search, mode);
    if (at < 0) return result;
    result.hit = true;
    result.start = CharacterCount(QStringView(lowered).left(at)) + 1;
    result.length = CharacterCount(search);
    return result;
}

TextHit MatchText(const QString& text, const QString& search, MatchMode mode)
{
    FoldMap map;
    const QString folded = FoldForSearch(text, &map);
    if (map.begin.empty()) return MatchLowered(folded, search, mode);
    TextHit result;
    const qsizetype at = FindLowered(folded, search, mode);
    if (at < 0) return result;
    // Positions are those of the stored text, which the highlight marks.
    const int from = map.begin[size_t(at)];
    const int to = map.end[size_t(at + search.size() - 1)];
    result.hit = true;
    result.start = CharacterCount(QStringView(text).left(from)) + 1;
    result.length = CharacterCount(QStringView(text).mid(from, to - from));
    return result;
}

}  // namespace qb::search
