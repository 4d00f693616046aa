#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace qb {

// Files dropped from the file manager on the main window. The rules live here; the desktop and
// the item card only hand over the paths and the card's text.

constexpr qint64 kDropTextLimit = 31999;  // the largest file that fits a single text item

struct DroppedFile {
    QString path;
    QString fileName;   // the name part of the path
    QString extension;  // upper-cased, empty unless the fourth-last character is a dot
    QString baseName;   // the name without its last four characters, upper-cased
};
// Only the last file of a drop is used; nothing when the list is empty.
std::optional<DroppedFile> LastDroppedFile(const QStringList& paths);

// TXT and RTF always; other extensions only when the setting (say "*INI*BAT*") holds them.
bool DropExtensionAllowed(const QString& extension, const QString& extraAllowed);

// The header line put between the card's text and a dropped text, and the question asked first.
struct DropText {
    QString header;
    QString question;
};
DropText DropTextHeader(const QString& cardText, const QString& fileName, const QString& when);

// The text of a plain text file from outside: UTF-8 when the bytes are valid UTF-8, else Latin-1,
// so that no byte is ever replaced.
QString TextFromBytes(const QByteArray& bytes);

// RTF as plain text: groups that are not text (font and colour tables, pictures, "\*" groups)
// are skipped, control words dropped, \par and \line become line breaks, \'hh is a Latin-1
// character. Nothing when the text does not start as RTF.
std::optional<QString> RtfToPlainText(const QByteArray& rtf);

// A file dropped on an item card: checks size and type (reporting why it is refused), loads it,
// asks "Ok to insert the text: ..." and on yes returns the card's new text: the card's text as
// it was, the header, then the file's text.
std::optional<QString> DropFileOnCard(const QString& path, const QString& cardText,
                                      const QString& extraAllowed, const QDateTime& when);

}  // namespace qb
