#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace qb {

// The store as a folder of Markdown notes, and such a folder (or one written by another tool)
// read back into the store.
//
// An exported note is "<title>.md": front matter between "---" lines (quillbox: note, id, its,
// created, keywords as words with their concepts, projects), then the item text exactly as
// stored. Each project is "projects/<name>.md", its items listed in the project's order in the
// front matter and as a numbered list of links in the body.

// Called with the work done and the whole; false stops the run (nothing more is written).
using NotesProgress = std::function<bool(int done, int total)>;

struct NotesExportResult {
    bool ok = false;
    int notes = 0;
    int projects = 0;
    int pictures = 0;  // items whose picture stays in the store (notes hold text only)
    QString error;     // why it stopped, when not ok
};

// Writes every item and project of the open store into dir, which must be empty or missing
// (files already there are never replaced). Reads one consistent view of the store.
NotesExportResult ExportNotes(const QString& dir, const NotesProgress& progress = {});

struct NotesImportResult {
    bool ok = false;       // false: the store could not be written or the run was stopped
    QString error;         // why, when not ok
    QStringList added;     // relative file names taken as new items
    QStringList updated;   // relative file names whose id was in the store
    QStringList projects;  // project listings applied
    QStringList refused;   // "name: why", notes refused and parts of notes left out
    QStringList skipped;   // "name: why", files that are not notes (pictures, links)
};

// Reads the .md, .markdown and .txt files of dir and its sub-folders into the open store. A
// note of this program's export updates the item with its id, or is added; any other note is
// added, its front matter "tags:" and its "#tags" as keywords and its sub-folder as project.
// New items take ids through the commit's free-id claim. One transaction per batch of notes.
NotesImportResult ImportNotes(const QString& dir, const NotesProgress& progress = {});

// The report of an import, one line per file, for the command line and the desktop.
QString NotesImportReport(const NotesImportResult& result);

namespace notes {
// Limits on what is read: a bigger file is refused, a deeper folder is not entered.
inline constexpr qint64 kMaxFileBytes = 256 * 1024;
inline constexpr int kMaxDepth = 8;
inline constexpr int kMaxFiles = 200000;
inline constexpr int kBatch = 200;
// A file name made from a text: no separators or control characters, at most this many bytes
// before the suffix that makes it unique.
inline constexpr int kMaxNameBytes = 120;
QString SafeFileName(const QString& text);
}  // namespace notes

}  // namespace qb
