#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace qb {

// The text a program prints for --help and its manual page is made of: one text, two shapes.
struct ProgramText {
    struct Entry {
        QString term;  // an option, a command's synopsis, a variable, a file
        QString text;
    };
    QString name;             // "quillbox"
    QString summary;          // one line: what the program is
    QString synopsis;         // the usage line without the program's name
    QStringList description;  // paragraphs
    std::vector<Entry> options;
    std::vector<Entry> commands;
    std::vector<Entry> environment;
    std::vector<Entry> files;
    QStringList seeAlso;  // other pages of section 1
};

ProgramText DesktopProgramText();
// What both programs share: the store directory's variable and files.
void AddStoreEntries(ProgramText& text);

// The --help text: usage, description, options, commands.
QString PlainHelp(const ProgramText& text);
// The manual page in roff (man macros) for section 1.
QString ManPage(const ProgramText& text, const QString& version);
// A line of text safe in roff: backslashes and hyphens escaped, a leading "." or "'" guarded.
QString RoffText(const QString& line);

}  // namespace qb
