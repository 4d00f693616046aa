#pragma once

#include <QString>
#include <QStringList>

namespace qb {

// Where the store lives: --dir, else QUILLBOX_DIR, else ~/Quillbox.
QString ChooseStoreDirectory(const QString& fromCommandLine);

enum class StoreDirectoryState {
    Ready,        // holds ITEM.DB
    Fresh,        // did not exist or was empty: an empty store was laid down
    DataMissing,  // not empty, but no ITEM.DB ("Data base missing")
    Failed,       // could not be created or written
};

// Lays down a fresh store in a new or empty directory, leaves an existing store alone.
StoreDirectoryState PrepareStoreDirectory(const QString& dir, QString* error);

// Copies the shipped companion files (cleandata.zip, empty.wav, the help) into the store
// directory when they are missing there.
void CopyCompanionFiles(const QString& dir);

// The deepest store directory path allowed, with its separator, is 65 characters.
bool DirectoryPathTooLong(const QString& dirWithSeparator);

}  // namespace qb
