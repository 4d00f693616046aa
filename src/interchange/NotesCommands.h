#pragma once

#include <QString>

class QWidget;

namespace qb {

// File > "Export Notes as Markdown…": the cards' edits are committed, then every item and
// project is written into the chosen folder (into a new sub-folder when it holds files), with a
// progress dialog. Without a folder the user is asked for one.
void ExportNotesClick(QWidget* parent, const QString& folder = QString());

// File > "Import Notes…": the notes of the chosen folder are read into the store with a
// progress dialog; the summary is shown and the whole report written to notesimport.txt in the
// store directory.
void ImportNotesClick(QWidget* parent, const QString& folder = QString());

}  // namespace qb
