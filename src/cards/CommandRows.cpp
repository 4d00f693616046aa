#include "cards/CommandRows.h"

#include "floor/RunContext.h"

#include <QStringList>

namespace qb {

const std::vector<CommandRow>& FixedCommandRows()
{
    static const std::vector<CommandRow> rows = {
        {QStringLiteral("Combined &View"), QStringLiteral("Go to top of table"),
         QStringLiteral("CombinedView"), QStringLiteral("V")},
        {QStringLiteral("&Hide Window"), QStringLiteral("Drop from desktop (no delete)"),
         QStringLiteral("Drop"), QStringLiteral("H")},
        {QStringLiteral("&Locate"), QStringLiteral("Locate word or name in table"),
         QStringLiteral("Locate"), QStringLiteral("L")},
        {QStringLiteral("Rename Word"), QStringLiteral("Actuality order"), QStringLiteral("Rename"),
         QStringLiteral("R")},
        {QStringLiteral("To&ggle Sort Order"), QString(), QStringLiteral("AlphaOrder"),
         QStringLiteral("G")},
        {QStringLiteral("&Insert Word"), QString(), QStringLiteral("TestWord"),
         QStringLiteral("I")},
        {QStringLiteral("Unh&ook Project"),
         QStringLiteral("Word is deleted from database definitely"), QStringLiteral("RemoveURL"),
         QStringLiteral("O")},
        {QStringLiteral("&New Project"), QString(), QStringLiteral("AddWord"), QStringLiteral("N")},
        {QStringLiteral("&Category"),
         QStringLiteral("Projects with given (sub)string are forced to top of table"),
         QStringLiteral("TagSelect"), QStringLiteral("CS")},
        {QStringLiteral("&Add Desktop/Reorder"), QString(), QStringLiteral("CollectDesk"),
         QStringLiteral("A")},
        {QStringLiteral("&Keywords"), QStringLiteral("View keywords attached"),
         QStringLiteral("Keywords"), QStringLiteral("K")},
        {QStringLiteral("&Projects"), QStringLiteral("View projects connected"),
         QStringLiteral("Projects"), QStringLiteral("PT")},
        {QStringLiteral("Image Update"), QString(), QStringLiteral("Image"), QString()},
        {QStringLiteral("Connect Image"), QString(), QStringLiteral("ConnectImage"), QString()},
        {QStringLiteral("Unhook Ke&yword"), QStringLiteral("Attachment removed"),
         QStringLiteral("RemoveKey"), QStringLiteral("Y")},
        {QStringLiteral("&Delete"), QStringLiteral("Item deleted definitely"),
         QStringLiteral("Delete"), QStringLiteral("D")},
        {QStringLiteral("&Update Project"), QString(), QStringLiteral("ProjUpdate"),
         QStringLiteral("U")},
        {QStringLiteral("Open Browser"), QString(), QStringLiteral("URLCall"), QString()},
        {QStringLiteral("Te&xt"), QString(), QStringLiteral("GoText"), QStringLiteral("X")},
        {QStringLiteral("Infl&ections"), QString(), QStringLiteral("CallInflec"),
         QStringLiteral("E")},
        {QStringLiteral("&Word to Clipboard"), QString(), QStringLiteral("ClipBoard"),
         QStringLiteral("W")},
        {QStringLiteral("&Find in Item texts"), QString(), QStringLiteral("MultFindText"),
         QStringLiteral("F")},
    };
    return rows;
}

const CommandRow* FixedCommandRow(const QString& command)
{
    for (const CommandRow& row : FixedCommandRows())
        if (row.command == command) return &row;
    return nullptr;
}

QString CommandForKey(QChar key)
{
    QChar upper = key.toUpper();
    if (upper < QLatin1Char('A') || upper > QLatin1Char('Z')) return {};
    for (const CommandRow& row : FixedCommandRows())
        if (row.keys.contains(upper)) return row.command;
    return {};
}

QString DefaultCaption(const QString& command)
{
    const CommandRow* row = FixedCommandRow(command);
    return row ? row->caption : QString();
}

QPoint KeepOnScreen(QPoint topLeft, QSize frame, QSize screen)
{
    using commandpanel::kScreenMargin;
    QPoint p = topLeft;
    if (p.x() + frame.width() + kScreenMargin > screen.width())
        p.setX(screen.width() - frame.width() - kScreenMargin);
    if (p.y() + frame.height() + kScreenMargin > screen.height())
        p.setY(screen.height() - frame.height() - kScreenMargin);
    return p;
}

QString AcceleratorToRichText(const QString& caption)
{
    QString out;
    for (int i = 0; i < caption.size(); ++i) {
        QChar c = caption.at(i);
        if (c == QLatin1Char('&') && i + 1 < caption.size()) {
            QChar next = caption.at(++i);
            if (next == QLatin1Char('&'))
                out += QStringLiteral("&amp;");
            else
                out +=
                    QStringLiteral("<u>") + QString(next).toHtmlEscaped() + QStringLiteral("</u>");
            continue;
        }
        out += QString(c).toHtmlEscaped();
    }
    // Trailing blanks belong to the caption; keep them visible in rich text.
    return out.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
}

QString FilterToQt(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return filter;
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::vector<XmlSendRow> XmlSendRows(bool byName)
{
    const Settings& settings = runContext().settings;
    std::vector<XmlSendRow> rows;
    for (int n = 0; n < settings.usableXmlTargets && n < int(settings.xmlTargets.size()); ++n) {
        const XmlTarget& target = settings.xmlTargets[n];
        rows.push_back({QStringLiteral("->") + (byName ? target.name : target.dir),
                        QStringLiteral("XMLSend") + QString::number(n + 1)});
    }
    return rows;
}

int XmlSendTarget(const QString& command)
{
    if (!command.startsWith(QStringLiteral("XMLSend")) || command.size() != 8) return 0;
    const int n = command.at(7).digitValue();
    return n >= 1 && n <= 3 ? n : 0;
}

}  // namespace qb
