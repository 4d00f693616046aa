#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb {

// "SELECT DIRECTORY OR FILE": a folder or a file picked for a project's URL (the update dialog's
// Browse). The folder tree grows as it is opened; the file list shows once a type is chosen.
class TDirectoryMap : public QDialog {
    Q_OBJECT
public:
    // Opens on the folder of the given path (the path cut back to its folder).
    TDirectoryMap(const QString& start, QWidget* parent);

    QComboBox* driveBox() const { return drives_; }
    QTreeWidget* directories() const { return directories_; }
    QComboBox* typeBox() const { return types_; }
    QListWidget* files() const { return files_; }

    // The folder shown and its files.
    QString directory() const { return directory_; }
    void setDirectory(const QString& dir);
    // A file type clicked in the type box: the file list shows that type.
    void chooseType(int index);
    // "Home Dir" (the store directory) and "Desktop Dir".
    void HomeDirClick();
    void DesktopDirClick();
    // "Directory": the folder with a trailing "/"; "File name": the selected file's path.
    void DirectoryClick();
    void FileNameClick();

    QString result() const { return result_; }

    // The type box's entries: caption and patterns.
    struct FileType {
        QString caption;
        QStringList patterns;
    };
    static QList<FileType> fileTypes();

private:
    void setRoot(const QString& root);
    void fillChildren(QTreeWidgetItem* node);
    QTreeWidgetItem* reveal(const QString& dir);
    void fillFiles();

    QComboBox* drives_;
    QTreeWidget* directories_;
    QComboBox* types_;
    QLabel* typeNote_;
    QListWidget* files_;
    QString root_;
    QString directory_;
    int type_ = -1;
    QString result_;
};

// The picker run modally; the picked path, or empty.
QString RunDirectoryMap(const QString& start, QWidget* parent);

}  // namespace qb
