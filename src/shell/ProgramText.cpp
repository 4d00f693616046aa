#include "shell/ProgramText.h"

namespace qb {

ProgramText DesktopProgramText()
{
    ProgramText t;
    t.name = QStringLiteral("quillbox");
    t.summary = QStringLiteral("keep notes, words and projects as cards on a desktop");
    t.synopsis = QStringLiteral("[--dir DIR] [--help]");
    t.description = {
        QStringLiteral("Quillbox keeps short texts (items), a dictionary of words, concepts (sets "
                       "of words that stand for one idea) and projects, and shows them as movable "
                       "cards on a large desktop. Every item carries keywords: dictionary words, "
                       "each given through one of the concepts that hold it. Dropping a word, a "
                       "concept or a project on the desktop brings up everything connected to "
                       "it."),
        QStringLiteral("Press F1 in any window for its help page; Help > Hot Keys lists the keys. "
                       "Only one Quillbox runs on a store at a time: a second start brings the "
                       "running one forward. quillbox-cli works on the same store from a "
                       "terminal, also while the desktop program runs."),
    };
    t.options = {
        {QStringLiteral("--dir DIR"),
         QStringLiteral("Work in the store directory DIR (a relative path is taken from the "
                        "current directory). A new or empty directory becomes an empty store.")},
        {QStringLiteral("--help"), QStringLiteral("Print this help and exit.")},
    };
    AddStoreEntries(t);
    t.seeAlso = {QStringLiteral("quillbox-cli")};
    return t;
}

void AddStoreEntries(ProgramText& t)
{
    t.environment.push_back({QStringLiteral("QUILLBOX_DIR"),
                             QStringLiteral("The store directory when --dir is not given.")});
    t.files = {
        {QStringLiteral("~/Quillbox"),
         QStringLiteral("The store directory when neither --dir nor QUILLBOX_DIR is given: one "
                        "table file per table (ITEM.DB, WORD.DB, DICT.DB ...), the settings file "
                        "qb.ini, outlines, exports and backup packages.")},
        {QStringLiteral("qb.ini"),
         QStringLiteral("The settings, in the store directory; Installation > Edit INI-file "
                        "opens it.")},
        {QStringLiteral("share/quillbox/"),
         QStringLiteral("Beside the installed programs: the help pages, the empty store "
                        "cleandata.zip and empty.wav.")},
    };
}

namespace {
// Text broken into lines of at most 79 columns (a longer word stands alone), each indented.
QString wrapped(const QString& text, int indent)
{
    constexpr int kWidth = 79;
    const QString margin(indent, QLatin1Char(' '));
    QString out, line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > kWidth) {
            out += margin + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty()) out += margin + line + QLatin1Char('\n');
    return out;
}

QString plainEntries(const QString& title, const std::vector<ProgramText::Entry>& entries)
{
    if (entries.empty()) return {};
    QString out = QLatin1Char('\n') + title + QStringLiteral(":\n");
    for (const ProgramText::Entry& e : entries) {
        out += QStringLiteral("  ") + e.term + QLatin1Char('\n');
        out += wrapped(e.text, 6);
    }
    return out;
}

QString manEntries(const QString& title, const std::vector<ProgramText::Entry>& entries)
{
    if (entries.empty()) return {};
    QString out = QStringLiteral(".SH ") + title + QLatin1Char('\n');
    for (const ProgramText::Entry& e : entries) {
        out += QStringLiteral(".TP\n\\fB") + RoffText(e.term) + QStringLiteral("\\fR\n");
        out += RoffText(e.text.isEmpty() ? QStringLiteral(" ") : e.text) + QLatin1Char('\n');
    }
    return out;
}
}  // namespace

QString PlainHelp(const ProgramText& t)
{
    QString out = QStringLiteral("usage: ") + t.name + QLatin1Char(' ') + t.synopsis +
                  QStringLiteral("\n\n") + t.name + QStringLiteral(" - ") + t.summary +
                  QLatin1Char('\n');
    for (const QString& p : t.description) out += QLatin1Char('\n') + wrapped(p, 0);
    out += plainEntries(QStringLiteral("options"), t.options);
    out += plainEntries(QStringLiteral("commands"), t.commands);
    out += plainEntries(QStringLiteral("environment"), t.environment);
    return out;
}

QString RoffText(const QString& line)
{
    QString out;
    for (QChar c : line) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\e");
        else if (c == QLatin1Char('-'))
            out += QStringLiteral("\\-");
        else if (c == QLatin1Char('\n'))
            out += QLatin1Char(' ');
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString ManPage(const ProgramText& t, const QString& version)
{
    QString out = QStringLiteral(".TH ") + t.name.toUpper() + QStringLiteral(" 1 \"\" \"") +
                  RoffText(QStringLiteral("Quillbox ") + version) +
                  QStringLiteral("\" \"User Commands\"\n");
    out += QStringLiteral(".SH NAME\n") + RoffText(t.name + QStringLiteral(" - ") + t.summary) +
           QLatin1Char('\n');
    out += QStringLiteral(".SH SYNOPSIS\n\\fB") + RoffText(t.name) + QStringLiteral("\\fR ") +
           RoffText(t.synopsis) + QLatin1Char('\n');
    out += QStringLiteral(".SH DESCRIPTION\n");
    for (int i = 0; i < t.description.size(); ++i) {
        if (i > 0) out += QStringLiteral(".PP\n");
        out += RoffText(t.description[i]) + QLatin1Char('\n');
    }
    out += manEntries(QStringLiteral("OPTIONS"), t.options);
    out += manEntries(QStringLiteral("COMMANDS"), t.commands);
    out += manEntries(QStringLiteral("ENVIRONMENT"), t.environment);
    out += manEntries(QStringLiteral("FILES"), t.files);
    if (!t.seeAlso.isEmpty()) {
        out += QStringLiteral(".SH \"SEE ALSO\"\n");
        QStringList refs;
        for (const QString& page : t.seeAlso)
            refs << QStringLiteral("\\fB") + RoffText(page) + QStringLiteral("\\fR(1)");
        out += refs.join(QStringLiteral(",\n")) + QLatin1Char('\n');
    }
    return out;
}

}  // namespace qb
