#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "shell/StoreDirectory.h"

namespace qb {

class IniFile;

// The program entry's checks on the store directory, before any window exists.
struct EntryCheck {
    bool ok = false;
    StoreDirectoryState state = StoreDirectoryState::Failed;
    QString message;  // for a plain message box when not ok
};
EntryCheck CheckProgramEntry(const QString& dir);

// The table engine is usable: SQLite opens an in-memory database.
bool SqliteEngineAvailable();

// outl, outltxt and projects below the store directory, made when missing.
struct StoreFolders {
    QString outlines;
    QString outlineOutput;
    QString projects;
};
StoreFolders CreateStoreFolders(const QString& dir);

// Information files that are shown once: each that exists and whose modification time differs
// from the one recorded under [INFORMATION].
struct InformationFile {
    QString path;
    QString key;    // the file name without extension
    QString stamp;  // its modification time as recorded
};
QStringList InformationFileNames();
std::vector<InformationFile> ChangedInformationFiles(const QString& dir, const IniFile& ini);
InformationFile InformationFileOf(const QString& dir, const QString& name);
// Records that a file was shown (single access to qb.ini).
bool MarkInformationShown(const QString& iniPath, const InformationFile& file);

// The text shown once when the program has stopped itself to protect the store.
QString SafetyStopText();

}  // namespace qb
