#include "search/TextMatch.h"

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

QString SearchTextFromInput(const QString& input) { return LowerForSearch(input).trimmed(); }

int CharacterCount(QStringView text)
{
    int count = 0;
    for (QChar c : text)
        if (!c.isLowSurrogate()) ++count;
    return count;
}

TextHit MatchLowered(const QString& lowered, const QString& search, MatchMode mode)
{
    TextHit result;
    if (search.isEmpty()) return result;
    const qsizetype at = lowered.indexOf(search, 0, Qt::CaseSensitive);
    if (at < 0) return result;
    if (mode == MatchMode::Exact) {
        if (at > 0 && !IsWordDelimiter(lowered.at(at - 1))) return result;
        const qsizetype after = at + search.size();
        if (after < lowered.size() && !IsWordDelimiter(lowered.at(after))) return result;
    }
    result.hit = true;
    result.start = CharacterCount(QStringView(lowered).left(at)) + 1;
    result.length = CharacterCount(search);
    return result;
}

TextHit MatchText(const QString& text, const QString& search, MatchMode mode)
{
    return MatchLowered(LowerForSearch(text), search, mode);
}

}  // namespace qb::search
