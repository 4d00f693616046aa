#pragma once

#include <QString>

namespace qb::files {

// Finds `name` in `dir` without regard to case ("QB.INI" finds "qb.ini"). Returns the path of the
// existing file, or dir/name spelled as given when there is none.
QString resolve(const QString& dir, const QString& name);
bool exists(const QString& dir, const QString& name);
// Removes the file when present (any spelling); true when it is gone afterwards.
bool removeIfPresent(const QString& dir, const QString& name);

// Writes text to a file atomically (temporary file, then rename).
bool writeTextFile(const QString& path, const QString& text, QString* error = nullptr);
bool writeBytesFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);
// Reads a UTF-8 text file; every line-break style becomes "\n".
bool readTextFile(const QString& path, QString* text, QString* error = nullptr);

// Directory of the installed companion files (cleandata.zip, help, empty.wav): found relative to
// the executable, in ../share/quillbox or in the build tree.
QString shareDir();

// Path with a trailing separator.
QString withSeparator(const QString& dir);

}  // namespace qb::files
