#pragma once

#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

namespace qb::test {

// What an HTML parser would stumble on in a document: a "<" that opens no tag, a ">" or "&"
// outside markup that is not escaped, a quote left open in a tag, an element closed out of order
// or left open. Empty when there is nothing.
inline QString HtmlProblem(const QString& document)
{
    static const QSet<QString> empty = {QStringLiteral("!doctype"), QStringLiteral("meta"),
                                        QStringLiteral("link"), QStringLiteral("br")};
    static const QRegularExpression entity(
        QStringLiteral("^&(amp|lt|gt|quot|#[0-9]+|#x[0-9a-fA-F]+);"));
    static const QRegularExpression name(QStringLiteral("^/?(!doctype|[a-z][a-z0-9]*)$"));
    auto badEntity = [&](const QString& text, qsizetype at) {
        return !entity.match(QStringView(text).mid(at)).hasMatch();
    };
    QStringList open;
    for (qsizetype i = 0; i < document.size(); ++i) {
        const QChar c = document[i];
        if (c == QLatin1Char('>')) return QStringLiteral("a bare > at %1").arg(i);
        if (c == QLatin1Char('&') && badEntity(document, i))
            return QStringLiteral("a bare & at %1").arg(i);
        if (c != QLatin1Char('<')) continue;
        const qsizetype end = document.indexOf(QLatin1Char('>'), i);
        if (end < 0) return QStringLiteral("a tag left open at %1").arg(i);
        const QString tag = document.mid(i + 1, end - i - 1);
        if (tag.count(QLatin1Char('"')) % 2 != 0 || tag.contains(QLatin1Char('<')))
            return QStringLiteral("a broken tag: <%1>").arg(tag);
        for (qsizetype a = tag.indexOf(QLatin1Char('&')); a >= 0;
             a = tag.indexOf(QLatin1Char('&'), a + 1))
            if (badEntity(tag, a)) return QStringLiteral("a bare & in <%1>").arg(tag);
        const QString element = tag.section(QLatin1Char(' '), 0, 0).toLower();
        if (!name.match(element).hasMatch()) return QStringLiteral("not a tag: <%1>").arg(tag);
        if (element.startsWith(QLatin1Char('/'))) {
            if (open.isEmpty() || open.last() != element.mid(1))
                return QStringLiteral("</%1> closes nothing open").arg(element.mid(1));
            open.removeLast();
        } else if (!empty.contains(element)) {
            open << element;
        }
        i = end;
    }
    return open.isEmpty() ? QString() : QStringLiteral("<%1> left open").arg(open.last());
}

}  // namespace qb::test
