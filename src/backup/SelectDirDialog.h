#pragma once

#include "backup/Restore.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace qb {

// "SELECT *.ZIP FILE TO IMPORT FROM": a place box, a folder list and a file list stand in for
// the drive box, folder list and file list; a filter box, a progress bar, Cancel and OK. OK runs
// the whole restore or merge; the dialog closes when the package was good and stays open for
// another choice when it was not.
class TSelectDir : public QDialog {
    Q_OBJECT
public:
    TSelectDir(RestoreMode mode, QWidget* parent);

    void setFolder(const QString& folder);
    QString folder() const { return folder_; }
    // Chooses the filter by its index: 0 packages, 1 self-extracting ones, 2 every file.
    void setFilter(int index);
    bool selectFile(const QString& name);
    void OKBtnClick();

    QListWidget* folderList() const { return folders_; }
    QListWidget* fileList() const { return files_; }
    QComboBox* filterBox() const { return filter_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* okButton() const { return ok_; }
    // Where the last OK left things.
    RestoreOutcome lastOutcome() const { return outcome_; }

private:
    void refresh();

    RestoreMode mode_;
    QString folder_;
    QComboBox* places_ = nullptr;
    QListWidget* folders_ = nullptr;
    QListWidget* files_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* ok_ = nullptr;
    RestoreOutcome outcome_ = RestoreOutcome::NotOk;
};

// "&Restore From File": the first question, the desktop committed, the dialog in restore mode,
// the desktop committed again.
void RestoreFromFileClick(QWidget* parent);
// "&Add Another Database to this one": the same in merge mode, without the first question.
void AddAnotherDatabaseClick(QWidget* parent);

}  // namespace qb
