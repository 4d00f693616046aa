#pragma once

#include "store/Timestamps.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace qb {

// Projects: named PROJECT rows that items link to through ITEMURL. Everything the project dialogs
// and the project window do to the store is here; the widgets only show and ask. Every value a
// user typed is bound, never spliced into a statement, and LIKE patterns escape their wildcards,
// so a name with quotes, "%", "_" or a backslash is as good as any other.

constexpr int kProjectNameLength = 38;    // PROJECT.Project, in characters (code points)
constexpr int kProjectUrlLength = 80;     // PROJECT.URL
constexpr int kProjectSharedLength = 50;  // the shared current and last new project names

struct ProjectRecord {
    QString name;
    Timestamp pts = 0;
    QString url;
    QString tag;
};

// The two orders of the project window, with the codes stored for them.
enum class ProjectOrder : int { Alphabetical = 1, TimeStamp = 2 };

// The values every project window and the main window share, kept for the run.
struct ProjectState {
    QString lastNewName;  // at most 50 characters
    Timestamp lastNewPts = 0;
    QString current;           // the project last selected, at most 50 characters
    Timestamp findResult = 0;  // PTS of the last find hit, 0 when nothing was found
    QString findAt;            // the name of the last hit, where "Next" goes on from
    Timestamp findAtPts = 0;
    bool findRanToEnd = false;  // the last search found nothing: "Next" does nothing
};
ProjectState& projectState();
void SetCurrentProject(const QString& name);

// Why a name cannot be a project's (empty when it can): a control character, or more than 38
// characters (code points) once upper-cased.
QString ProjectNameProblem(const QString& name);
// A name proposed from outside (a dropped file's name, a page title): controls become blanks,
// trimmed, upper-cased and cut to 38 characters.
QString ProposedProjectName(const QString& text);

std::optional<ProjectRecord> FindProject(const QString& name, QString* error = nullptr);
// The new project dialog's two tests on the trimmed, upper-cased text: names starting with it,
// then names containing it.
std::vector<ProjectRecord> ProjectsStartingWith(const QString& text, QString* error = nullptr);
std::vector<ProjectRecord> ProjectsContaining(const QString& text, QString* error = nullptr);

// The new project dialog's OK: a PROJECT row with the upper-cased name, a fresh PTS, the preset
// tag and the URL (when not empty); it becomes the last new project. An existing name is never
// overwritten: "Duplicate id - no update " is reported and nothing is returned. An empty name
// does nothing; a name with a ProjectNameProblem is refused with that message.
std::optional<Timestamp> CreateProject(const QString& name, const QString& tag = QString(),
                                       const QString& url = QString());

// A dictionary word dropped on a project window's list.
struct WordProject {
    enum Outcome { Existing, Created, Failed };
    Outcome outcome = Failed;
    QString name;
    Timestamp pts = 0;
};
// The upper-cased word names the project; an existing one becomes the current project, else a
// row is made with the category filter as tag ("WORD" without one). A failed write says nothing;
// a word that cannot be a project's name is refused with the reason.
WordProject ProjectFromWord(const QString& word, const QString& categoryFilter);

// The update dialog. Its URL and category as they were when it opened are kept for Cancel.
struct ProjectUpdate {
    QString name;
    QString category;  // as typed
    QString url;       // as typed
    bool urlBlankAtOpening = false;
};
// OK: Tag := the upper-cased category or "NONE", PTS := GetQBTS; with the stored and the typed URL
// blank, asks whether to make the project's text file and, on yes, makes it and stores its path.
// Only that project's row is written, and only when it still exists. The project becomes the
// current project. False (with "Project update fails" reported) when the row could not be written.
bool ConfirmProjectUpdate(const ProjectUpdate& update);
// Cancel: the remembered URL and category are written back.
bool CancelProjectUpdate(const QString& name, const QString& url, const QString& category);
// A URL picked by Browse or Grab, stored upper-cased or as it is (a path here names its file only
// in its own case). One longer than 80 characters reports "Project name or URL length must not
// exceed 80 chars" and changes nothing. A failed write reports failCode (by default "up115" for
// upper-cased and "up156" for kept URLs).
bool SetProjectUrl(const QString& name, const QString& url, bool upperCase,
                   const QString& failCode = QString());
// The project's text file: CleanFileName of the name (up to its first blank) + ".txt" in the
// projects folder of the store.
QString ProjectTextFilePath(const QString& name);
// Makes the file, when missing, with its one line "[NAME  date time]"; true when it exists then.
bool CreateProjectTextFile(const QString& name, const QString& path, const QDateTime& when);

// Tags for the category lists: `select distinct tag from PROJECT`, blanks left out.
QStringList ProjectTags(QString* error = nullptr);
// The category command: the table walked in its stored order, n counting every row; each row
// whose upper-cased tag contains the upper-cased tag gets PTS := B + n x 1e-8, B one GetQBTS. One
// transaction. Returns how many rows were stamped, or -1 on failure (reported).
int StampCategory(const QString& tag);
// The category filter: tags equal, ignoring case.
bool TagMatchesFilter(const QString& tag, const QString& filter);

// The project list of the window: by name, or by PTS (the most recently stamped first). With a
// filter, only the rows whose tag matches it.
std::vector<ProjectRecord> ProjectList(ProjectOrder order, const QString& filter = QString(),
                                       QString* error = nullptr);

// The find dialog: the table in PTS order, the first row (from the start, or after the last hit)
// whose upper-cased name contains the upper-cased text. Sets and returns the find result (0 with
// "Nothing found" reported when there is none).
Timestamp FindProjectStart(const QString& text);
Timestamp FindProjectNext(const QString& text);
// The find dialog's history: the text goes to the top unless the history holds it already.
void AddFindHistory(QStringList& history, const QString& text);

// The double-click on a name: PTS := GetQBTS, so the project goes to the top of time stamp order.
bool MarkTime(const QString& name);

// A file or shortcut registered with a project: URL := path, and with setTag, Tag := the window's
// category filter. A path longer than 80 characters is refused ("up11693").
bool RegisterShortcut(const QString& name, const QString& path, bool setTag,
                      const QString& categoryFilter);
// The question asked first, when asked at all.
QString RegisterShortcutQuestion(const ProjectRecord& project, const QString& path);

// Whether items still link to the project (the delete dialog's "References exist" question).
bool ProjectHasReferences(const QString& name);
// Removes every item's link to the project (the cards on the desktop are unlinked by
// ReverseCollectDesk; this reaches the items no desktop shows). One transaction.
bool RemoveAllProjectLinks(const QString& name);
// Removes the PROJECT row with every ITEMURL and PRJORDR row of the project, in one transaction.
bool DeleteProjectRecord(const QString& name);

// The file name made of a text: with keepBlanks false a blank ends it; digits are kept, other
// characters below "A" dropped, and of the rest [ ] ( ) ? , . ; | \ / ! " # ¤ % & = * + dropped;
// trimmed.
QString CleanFileName(const QString& text, bool keepBlanks);

// Whether a project's URL is opened as a web address (decides "Open Browser").
bool IsWebAddress(const QString& url);

namespace projectmessages {
inline constexpr char kDuplicate[] = "Duplicate id - no update ";
inline constexpr char kUpdateFailedFor[] = "Update failed, projid: ";
inline constexpr char kUpdateFails[] = "Project update fails";
inline constexpr char kUrlTooLong[] = "Project name or URL length must not exceed 80 chars";
inline constexpr char kTextFileQuestion[] =
    "Do you want to create a textfile attached to the project";
inline constexpr char kTextFileFailed[] = "Failed to create and/or save ";
inline constexpr char kReferences[] = "References exist, press OK to remove anyway";
inline constexpr char kNothingFound[] = "Nothing found";
inline constexpr char kUnexpected[] = "An unexpected system problem was encountered";
inline constexpr char kShortcutFailed[] =
    "General error Drag-drop objects to item or project. Receive subroutine";
constexpr int kHelp = 40050;
}  // namespace projectmessages

}  // namespace qb
