#pragma once

#include <QString>

namespace qb::files {

// Finds `name` in `dir` without regard to case ("QB.INI" finds "qb.ini"). Returns the path of the
// existing file, or dir/name spelled as given when there is none.
QString resolve(const QString& dir, const QString& name);
bool exists(const QString& dir, const QString& name);
// Removes the file when present (any spelling); true when it is gone afterwards.
bool removeIfPresent(const QString& dir, const QString& name);

// Replaces a file by a complete copy: a temporary file beside it, every write, the flush to disk
// and the close checked, then one rename. On any failure the old file stays as it was and error
// says why ("the disk is full" when it is). A file that is not a regular one (a device, a pipe)
// cannot be replaced and is written in place.
bool writeTextFile(const QString& path, const QString& text, QString* error = nullptr);
bool writeBytesFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);
// Writes every byte to an open descriptor; false with the reason when a write fails.
bool writeAll(int fd, const QByteArray& bytes, QString* error = nullptr);
// The reason for a failed file operation in words.
QString errorText(int errnum);
// Reads a UTF-8 text file; every line-break style becomes "\n".
bool readTextFile(const QString& path, QString* text, QString* error = nullptr);

// Directory of the installed companion files (cleandata.zip, help, empty.wav): found relative to
// the executable, in ../share/quillbox or in the build tree.
QString shareDir();

// Path with a trailing separator.
QString withSeparator(const QString& dir);

}  // namespace qb::files
