#pragma once

#include <QDialog>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>

#include "projects/ProjectRecords.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace qb {

// What the project dialogs keep for the run: where the last one was closed (they all reopen
// there) and the find dialog's history.
struct ProjectDialogsState {
    std::optional<QPoint> place;
    QStringList findHistory;
};
ProjectDialogsState& projectDialogsState();

// A project dialog that opens where the last one was closed.
class ProjectDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 50075;
    explicit ProjectDialog(QWidget* parent);
    void done(int result) override;
};

// "ADD PROJECT/URL/SHORTCUT": a name, two tests against the names there are, and OK.
class TNewProj : public ProjectDialog {
    Q_OBJECT
public:
    TNewProj(const QString& presetTag, QWidget* parent);

    QLineEdit* nameEdit() const { return name_; }
    QLabel* urlLabel() const { return url_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* okButton() const { return ok_; }
    QTableWidget* matches() const { return matches_; }
    // The project made by OK, when one was.
    std::optional<Timestamp> created() const { return created_; }

    void TestClick();
    void OKBtnClick();
    // The speed button: the browser's current page gives the address and, as name, the title.
    void GrabClick();
    // A file dropped from the file manager: its path to store, its name as the project's.
    void presetFile(const QString& path, const QString& name);

private:
    void nameEdited();
    void showMatches(const std::vector<ProjectRecord>& rows);

    QString presetTag_;
    QLineEdit* name_;
    QLabel* url_;
    QPushButton* test_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QToolButton* grab_;
    QTableWidget* matches_;
    int tests_ = 0;
    std::optional<Timestamp> created_;
};

// "PROJECT UPDATE": category and URL of one project.
class TUpd_Project : public ProjectDialog {
    Q_OBJECT
public:
    TUpd_Project(const ProjectRecord& project, QWidget* parent);

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* categoryBox() const { return category_; }
    QLineEdit* urlEdit() const { return url_; }
    QLabel* blankUrlLabel() const { return blankNote_; }

    bool OKBtnClick();
    void CancelBtnClick();
    // Browse: the directory/file picker on the current URL, its answer applied.
    void BrowseClick();
    // A picked path: empty keeps the URL; one too long for the field is refused; otherwise it
    // becomes the URL, written at once.
    bool applyBrowsed(const QString& picked);

private:
    void grabPage();

    QString openUrl_;
    QString openCategory_;
    bool urlBlankAtOpening_;
    QLineEdit* name_;
    QComboBox* category_;
    QLineEdit* url_;
    QLabel* blankNote_;
};

// "CONFIRM PROJECT DELETE": the project with its links, or only its links.
class TDeleteProjFrm : public ProjectDialog {
    Q_OBJECT
public:
    // unlink is the window's ReverseCollectDesk for the project.
    TDeleteProjFrm(const QString& project, std::function<void()> unlink, QWidget* parent);

    // The question asked when items still link to the project; no leaves only Cancel.
    void checkReferences();

    QPushButton* okButton() const { return ok_; }
    QPushButton* refsOnlyButton() const { return refsOnly_; }
    QPushButton* cancelButton() const { return cancel_; }
    bool deleted() const { return deleted_; }

private:
    QString project_;
    std::function<void()> unlink_;
    QPushButton* ok_;
    QPushButton* refsOnly_;
    QPushButton* cancel_;
    bool deleted_ = false;
};

// "VIEW PROJECTS BY CATEGORY": re-stamps the projects of a category and filters by it.
class TTagSelect : public ProjectDialog {
    Q_OBJECT
public:
    TTagSelect(bool filterOn, QWidget* parent);

    QListWidget* tags() const { return tags_; }
    QPushButton* undoButton() const { return undo_; }
    void OKBtnClick();

    QString tag() const { return tag_; }
    bool filterOn() const { return filterOn_; }

private:
    QListWidget* tags_;
    QPushButton* ok_;
    QPushButton* undo_;
    QString tag_;
    bool filterOn_;
};

// "FIND PROJECT": a name part, searched in time stamp order from the start or the last hit.
class TFind_Project : public ProjectDialog {
    Q_OBJECT
public:
    explicit TFind_Project(QWidget* parent);

    QComboBox* textBox() const { return text_; }
    void StartClick();
    void NextClick();

private:
    void search(bool fromStart);

    QComboBox* text_;
};

// The category dialog's outcome, as the window takes it.
struct TagChoice {
    QString tag;
    bool filterOn = false;
};
TagChoice RunTagSelectDialog(bool filterOn, QWidget* parent);
// The new project dialog; the new project's PTS when one was made.
std::optional<Timestamp> RunNewProjectDialog(const QString& presetTag, QWidget* parent);
// The same for a file dropped from the file manager: path and name filled in, its own caption.
std::optional<Timestamp> RunNewProjectDialogForFile(const QString& presetTag, const QString& path,
                                                    const QString& name, QWidget* parent);
// "Grab URL to Make a Project": the dialog with the browser's current page grabbed at once.
std::optional<Timestamp> RunGrabUrlDialog(QWidget* parent);
// The update dialog; true when it was confirmed and written.
bool RunUpdateProjectDialog(const QString& project, QWidget* parent);
// The delete dialog; true when the project's row was deleted.
bool RunDeleteProjectDialog(const QString& project, std::function<void()> unlink, QWidget* parent);
// The find dialog; the find result (0 for none or Esc).
Timestamp RunFindProjectDialog(QWidget* parent);

namespace projectdialogs {
inline constexpr char kDeletedInfo[] =
    "If the deleted project is part of a showing outline tree, that outline will now be reloaded.";
inline constexpr char kGrabHint[] = "Grab the current web browser page";
inline constexpr char kBrowseHint[] = "If annotating a file, browse for directory";
inline constexpr char kGrabFailed[] = "Getting URL failed";
inline constexpr char kFileCaption[] = "Add Project with shortcut or file connected";
}  // namespace projectdialogs

}  // namespace qb
