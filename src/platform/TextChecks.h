#pragma once

#include <QString>
#include <QStringView>

namespace qb {

// C0 controls (and DEL) in a name make lists ambiguous and can hide text; names and words
// refuse them all.
inline bool HasControlCharacter(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

// Item texts keep tabs and line breaks but never a NUL, which cuts the text short in C APIs.
inline bool HasNulCharacter(QStringView text) { return text.contains(QChar(0)); }

// Limits on names are counted in characters (code points), never in UTF-16 units.
inline int CodePointCount(QStringView text)
{
    int count = 0;
    for (QChar c : text)
        if (!c.isLowSurrogate()) ++count;
    return count;
}

// The first count characters (code points) of a text; a surrogate pair is never split.
inline QString LeftCodePoints(const QString& text, int count)
{
    int seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate()) continue;
        if (seen++ == count) return text.left(i);
    }
    return text;
}

// The message for a name that holds a control character.
inline QString ControlCharacterMessage(const QString& what)
{
    return what + QStringLiteral(" must not contain control characters (tab, line break, ...)");
}

}  // namespace qb
