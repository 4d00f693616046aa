#include "projects/ProjectRecords.h"

#include "floor/Messages.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <functional>

namespace qb {

namespace pm = projectmessages;

namespace {

sql::Database& db() { return session().store.db(); }

std::vector<ProjectRecord> readRecords(sql::Statement& st, QString* error)
{
    std::vector<ProjectRecord> rows;
    while (st.next())
        rows.push_back({st.textValue(0), st.extValue(1), st.textValue(2), st.textValue(3)});
    if (error) *error = st.error();
    return rows;
}

const QString kColumns = QStringLiteral("Project, PTS, URL, Tag");

std::vector<ProjectRecord> projectsLike(const QString& pattern, QString* error)
{
    sql::Statement st(db(), QStringLiteral("SELECT %1 FROM PROJECT WHERE Project LIKE ?1 "
                                           "ESCAPE '\\' ORDER BY Project")
                                .arg(kColumns));
    st.bind(1, pattern);
    return readRecords(st, error);
}

void reportUpdateFails(const char* code)
{
    ShowInfo(QString::fromLatin1(pm::kUpdateFails), QString::fromLatin1(code), kError, pm::kHelp);
}

// Runs one write on the row of one project; false when it failed or the row is gone.
bool writeProjectRow(const QString& sqlText, const QVariantList& values)
{
    sql::Statement st(db(), sqlText);
    for (int i = 0; i < values.size(); ++i) st.bindVariant(i + 1, values[i]);
    return st.run() && db().changes() == 1;
}

Timestamp findFrom(const QString& text, bool fromStart)
{
    ProjectState& state = projectState();
    const QString wanted = text.trimmed().toUpper();
    state.findResult = 0;
    sql::Statement st(db(),
                      QStringLiteral("SELECT Project, PTS FROM PROJECT ORDER BY PTS, Project"));
    bool passedLast = fromStart;
    while (st.next()) {
        const QString name = st.textValue(0);
        const Timestamp pts = st.extValue(1);
        if (!passedLast) {
            if (name == state.findAt && pts == state.findAtPts) passedLast = true;
            continue;
        }
        if (!wanted.isEmpty() && name.toUpper().contains(wanted)) {
            state.findResult = pts;
            state.findAt = name;
            state.findAtPts = pts;
            state.findRanToEnd = false;
            return pts;
        }
    }
    state.findRanToEnd = true;
    state.findAt.clear();
    ShowInfo(QString::fromLatin1(pm::kNothingFound), QStringLiteral("lp80"), kInformation,
             pm::kHelp);
    return 0;
}

}  // namespace

ProjectState& projectState() { return session().part<ProjectState>(); }

void SetCurrentProject(const QString& name)
{
    projectState().current = LeftCodePoints(name, kProjectSharedLength);
}

QString ProjectNameProblem(const QString& name)
{
    if (HasControlCharacter(name)) return ControlCharacterMessage(QStringLiteral("A project name"));
    if (CodePointCount(name.toUpper()) > kProjectNameLength)
        return QStringLiteral("A project name has at most %1 characters").arg(kProjectNameLength);
    return {};
}

QString ProposedProjectName(const QString& text)
{
    QString name = text;
    for (QChar& c : name)
        if (HasControlCharacter(QStringView(&c, 1))) c = QLatin1Char(' ');
    return LeftCodePoints(name.trimmed().toUpper(), kProjectNameLength).trimmed();
}

std::optional<ProjectRecord> FindProject(const QString& name, QString* error)
{
    sql::Statement st(db(),
                      QStringLiteral("SELECT %1 FROM PROJECT WHERE Project = ?1").arg(kColumns));
    st.bind(1, name);
    std::vector<ProjectRecord> rows = readRecords(st, error);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

std::vector<ProjectRecord> ProjectsStartingWith(const QString& text, QString* error)
{
    return projectsLike(sql::likeLiteral(text.trimmed().toUpper()) + QLatin1Char('%'), error);
}

std::vector<ProjectRecord> ProjectsContaining(const QString& text, QString* error)
{
    return projectsLike(
        QLatin1Char('%') + sql::likeLiteral(text.trimmed().toUpper()) + QLatin1Char('%'), error);
}

std::optional<Timestamp> CreateProject(const QString& typed, const QString& tag, const QString& url)
{
    const QString name = typed.trimmed().toUpper();
    if (name.isEmpty()) return std::nullopt;
    if (const QString problem = ProjectNameProblem(name); !problem.isEmpty()) {
        ShowInfo(problem, QStringLiteral("np38"), kError, pm::kHelp);
        return std::nullopt;
    }
    const Timestamp pts = GetQBTS();
    // A plain INSERT: the key refuses a name that exists, whoever wrote it.
    sql::Statement st(db(), QStringLiteral("INSERT INTO PROJECT (Project, Tag, PTS, URL) "
                                           "VALUES (?1, ?2, ?3, ?4)"));
    st.bind(1, name).bind(2, tag).bind(3, pts);
    if (url.isEmpty())
        st.bindNull(4);
    else
        st.bind(4, url);
    if (!st.run()) {
        ShowInfo(QString::fromLatin1(pm::kDuplicate),
                 QString::fromLatin1(pm::kUpdateFailedFor) + name, kError, pm::kHelp);
        return std::nullopt;
    }
    projectState().lastNewName = LeftCodePoints(name, kProjectSharedLength);
    projectState().lastNewPts = pts;
    return pts;
}

WordProject ProjectFromWord(const QString& word, const QString& categoryFilter)
{
    WordProject result;
    result.name = word.trimmed().toUpper();
    if (result.name.isEmpty()) return result;
    if (std::optional<ProjectRecord> found = FindProject(result.name)) {
        result.outcome = WordProject::Existing;
        result.pts = found->pts;
        SetCurrentProject(result.name);
        return result;
    }
    // A name cut short would be another name than the word's.
    if (const QString problem = ProjectNameProblem(result.name); !problem.isEmpty()) {
        ShowInfo(problem, QStringLiteral("np38"), kError, pm::kHelp);
        return result;
    }
    const Timestamp pts = GetQBTS();
    sql::Statement st(db(), QStringLiteral("INSERT INTO PROJECT (Project, Tag, PTS) "
                                           "VALUES (?1, ?2, ?3)"));
    st.bind(1, result.name)
        .bind(2, categoryFilter.isEmpty() ? QStringLiteral("WORD") : categoryFilter)
        .bind(3, pts);
    if (!st.run()) return result;
    result.outcome = WordProject::Created;
    result.pts = pts;
    return result;
}

QString ProjectTextFilePath(const QString& name)
{
    const QString folder = files::resolve(session().dir(), QStringLiteral("projects"));
    return QDir(folder).filePath(CleanFileName(name, false) + QStringLiteral(".txt"));
}

bool CreateProjectTextFile(const QString& name, const QString& path, const QDateTime& when)
{
    if (!QFileInfo::exists(path)) {
        const QString line = QStringLiteral("[") + name + QStringLiteral("  ") +
                             QLocale().toString(when, QLocale::ShortFormat) + QStringLiteral("]\n");
        QString error;
        if (!files::writeTextFile(path, line, &error)) return false;
    }
    return QFileInfo::exists(path);
}

bool ConfirmProjectUpdate(const ProjectUpdate& update)
{
    std::optional<ProjectRecord> stored = FindProject(update.name);
    if (!stored) {
        reportUpdateFails("up73");
        return false;
    }
    const QString category = update.category.trimmed().toUpper();
    QString url = update.url.trimmed();
    if (url.size() > kProjectUrlLength) {
        ShowInfo(QString::fromLatin1(pm::kUrlTooLong), QStringLiteral("up115xx"), kError,
                 pm::kHelp);
        return false;
    }
    if (stored->url.trimmed().isEmpty() && url.isEmpty() &&
        AskYesDefault(QString::fromLatin1(pm::kTextFileQuestion), pm::kHelp)) {
        const QString path = ProjectTextFilePath(update.name);
        if (CreateProjectTextFile(update.name, path, session().clock().now()) &&
            path.size() <= kProjectUrlLength)
            url = path;
        else
            ShowInfo(QString::fromLatin1(pm::kTextFileFailed) + path, QString(), kError, pm::kHelp);
    }
    const Timestamp pts = GetQBTS();
    // Only the fields the dialog owns, on that row only: another program's new row of the same
    // name after a delete is not this dialog's to write.
    if (!writeProjectRow(QStringLiteral("UPDATE PROJECT SET Tag = ?2, PTS = ?3, URL = ?4 "
                                        "WHERE Project = ?1"),
                         {update.name, category.isEmpty() ? QStringLiteral("NONE") : category,
                          double(pts), url.isEmpty() ? QVariant() : QVariant(url)})) {
        reportUpdateFails("up70");
        return false;
    }
    SetCurrentProject(update.name);
    return true;
}

bool CancelProjectUpdate(const QString& name, const QString& url, const QString& category)
{
    if (!writeProjectRow(QStringLiteral("UPDATE PROJECT SET URL = ?2, Tag = ?3 WHERE Project = ?1"),
                         {name, url.isEmpty() ? QVariant() : QVariant(url), category})) {
        reportUpdateFails("up86");
        return false;
    }
    return true;
}

bool SetProjectUrl(const QString& name, const QString& url, bool upperCase, const QString& failCode)
{
    if (url.isEmpty()) return false;
    if (url.size() > kProjectUrlLength) {
        ShowInfo(QString::fromLatin1(pm::kUrlTooLong), QStringLiteral("up115xx"), kError,
                 pm::kHelp);
        return false;
    }
    if (!writeProjectRow(QStringLiteral("UPDATE PROJECT SET URL = ?2 WHERE Project = ?1"),
                         {name, upperCase ? url.toUpper() : url})) {
        if (!failCode.isEmpty())
            reportUpdateFails(failCode.toLatin1().constData());
        else
            reportUpdateFails(upperCase ? "up115" : "up156");
        return false;
    }
    return true;
}

QStringList ProjectTags(QString* error)
{
    QStringList tags;
    sql::Statement st(db(), QStringLiteral("SELECT DISTINCT Tag FROM PROJECT"));
    while (st.next()) {
        const QString tag = st.textValue(0);
        if (!tag.trimmed().isEmpty()) tags << tag;
    }
    if (error) *error = st.error();
    return tags;
}

int StampCategory(const QString& tag)
{
    const QString wanted = tag.trimmed().toUpper();
    if (wanted.isEmpty()) return 0;
    const Timestamp base = GetQBTS();
    sql::Transaction transaction(db());
    auto fail = [&](const char* code) {
        transaction.rollback();
        ShowInfo(QString::fromLatin1(pm::kUnexpected), QString::fromLatin1(code), kSystemError,
                 pm::kHelp);
        return -1;
    };
    if (!transaction.isActive()) return fail("Tagslct op failed 87");
    // The stored order: the table's own row order.
    sql::Statement rows(db(), QStringLiteral("SELECT Project, Tag FROM PROJECT ORDER BY rowid"));
    std::vector<std::pair<QString, long long>> stamped;
    long long n = 0;
    while (rows.next()) {
        ++n;
        if (rows.textValue(1).toUpper().contains(wanted)) stamped.push_back({rows.textValue(0), n});
    }
    if (!rows.ok()) return fail("Tagslct op failed 87");
    sql::Statement stamp(db(), QStringLiteral("UPDATE PROJECT SET PTS = ?2 WHERE Project = ?1"));
    for (const auto& [name, count] : stamped) {
        stamp.reset();
        stamp.bind(1, name).bind(2, base + count * 1e-8L);
        if (!stamp.run()) return fail("Tagslct op failed 73");
    }
    if (!transaction.commit()) return fail("Tagslct op failed 73");
    return int(stamped.size());
}

bool TagMatchesFilter(const QString& tag, const QString& filter)
{
    return tag.compare(filter, Qt::CaseInsensitive) == 0;
}

std::vector<ProjectRecord> ProjectList(ProjectOrder order, const QString& filter, QString* error)
{
    sql::Statement st(db(), QStringLiteral("SELECT %1 FROM PROJECT ORDER BY %2")
                                .arg(kColumns, order == ProjectOrder::Alphabetical
                                                   ? QStringLiteral("Project")
                                                   : QStringLiteral("PTS, Project")));
    std::vector<ProjectRecord> rows = readRecords(st, error);
    if (!filter.isEmpty())
        rows.erase(std::remove_if(
                       rows.begin(), rows.end(),
                       [&](const ProjectRecord& r) { return !TagMatchesFilter(r.tag, filter); }),
                   rows.end());
    return rows;
}

Timestamp FindProjectStart(const QString& text) { return findFrom(text, true); }

Timestamp FindProjectNext(const QString& text)
{
    ProjectState& state = projectState();
    if (state.findRanToEnd) return 0;
    return findFrom(text, state.findAt.isEmpty());
}

void AddFindHistory(QStringList& history, const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& entry : history)
        if (entry.trimmed() == trimmed) return;
    history.prepend(text);
}

bool MarkTime(const QString& name)
{
    return writeProjectRow(QStringLiteral("UPDATE PROJECT SET PTS = ?2 WHERE Project = ?1"),
                           {name, double(GetQBTS())});
}

QString RegisterShortcutQuestion(const ProjectRecord& project, const QString& path)
{
    if (!project.url.isEmpty())
        return project.name + QStringLiteral(": Ok to replace shortcut: ") + project.url +
               QStringLiteral("\n with: ") + path;
    return project.name + QStringLiteral(": Ok to register shortcut: ") + path;
}

bool RegisterShortcut(const QString& name, const QString& path, bool setTag,
                      const QString& categoryFilter)
{
    if (path.size() > kProjectUrlLength) {
        ShowInfo(QString::fromLatin1(pm::kUrlTooLong), QStringLiteral("up11693"), kError,
                 pm::kHelp);
        return false;
    }
    if (setTag)
        return writeProjectRow(
            QStringLiteral("UPDATE PROJECT SET URL = ?2, Tag = ?3 WHERE Project = ?1"),
            {name, path, categoryFilter});
    return writeProjectRow(QStringLiteral("UPDATE PROJECT SET URL = ?2 WHERE Project = ?1"),
                           {name, path});
}

bool ProjectHasReferences(const QString& name)
{
    sql::Statement st(db(), QStringLiteral("SELECT 1 FROM ITEMURL WHERE Project = ?1 LIMIT 1"));
    st.bind(1, name);
    // A doubtful answer counts as references, so the question is asked.
    return st.next() || !st.ok();
}

namespace {

// Removes every ITEMURL row of the project and numbers the links left on each of its items 1, 2,
// ... again, as a commit numbers them. Runs inside the caller's transaction.
bool removeProjectLinks(const QString& name)
{
    std::vector<double> linked;
    sql::Statement items(db(),
                         QStringLiteral("SELECT DISTINCT IT FROM ITEMURL WHERE Project = ?1"));
    items.bind(1, name);
    while (items.next()) linked.push_back(items.realValue(0));
    if (!items.ok()) return false;
    sql::Statement unlink(db(), QStringLiteral("DELETE FROM ITEMURL WHERE Project = ?1"));
    unlink.bind(1, name);
    if (!unlink.run()) return false;
    sql::Statement left(db(), QStringLiteral("SELECT rowid, \"Order\" FROM ITEMURL WHERE IT = ?1 "
                                             "ORDER BY \"Order\""));
    sql::Statement renumber(db(),
                            QStringLiteral("UPDATE ITEMURL SET \"Order\" = ?2 WHERE rowid = ?1"));
    for (double item : linked) {
        left.reset();
        left.bind(1, item);
        std::vector<std::pair<long long, int>> rows;
        while (left.next()) rows.push_back({left.int64Value(0), left.intValue(1)});
        if (!left.ok()) return false;
        // In rising order each new number is free: the rows before hold the lower ones.
        for (size_t k = 0; k < rows.size(); ++k) {
            if (rows[k].second == int(k) + 1) continue;
            renumber.reset();
            renumber.bind(1, rows[k].first).bind(2, int(k) + 1);
            if (!renumber.run()) return false;
        }
    }
    return true;
}

// One write on the project in one transaction; false (and nothing changed) when a step failed.
bool inOneTransaction(const std::function<bool()>& steps)
{
    sql::WriteScope transaction(db());
    if (transaction.isActive() && steps() && transaction.commit()) return true;
    transaction.rollback();
    return false;
}

}  // namespace

bool RemoveAllProjectLinks(const QString& name)
{
    return inOneTransaction([&] { return removeProjectLinks(name); });
}

bool DeleteProjectRecord(const QString& name)
{
    // Every link and order row goes with the project, whatever the desktop showed: a new project
    // of the same name must not find the old items linked to it.
    return inOneTransaction([&] {
        sql::Statement order(db(), QStringLiteral("DELETE FROM PRJORDR WHERE Project = ?1"));
        order.bind(1, name);
        return removeProjectLinks(name) && order.run() &&
               writeProjectRow(QStringLiteral("DELETE FROM PROJECT WHERE Project = ?1"), {name});
    });
}

QString CleanFileName(const QString& text, bool keepBlanks)
{
    static const QString dropped = QStringLiteral("[]()?,.;|\\/!\"#\u00a4%&=*+");
    QString out;
    for (QChar c : text) {
        if (!keepBlanks && c == QLatin1Char(' ')) break;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            out += c;
            continue;
        }
        if (c == QLatin1Char(' ')) {
            out += c;
            continue;
        }
        if (c < QLatin1Char('A')) continue;
        if (dropped.contains(c)) continue;
        out += c;
    }
    return out.trimmed();
}

bool IsWebAddress(const QString& typed)
{
    const QString url = typed.toUpper();
    const QString fileUrl = QStringLiteral("FILE:///");
    if (url.contains(QStringLiteral("TP://")) || url.contains(QStringLiteral("TPS://")))
        return true;
    for (const char* ext :
         {".HTM", ".SHTM", ".JHTM", ".SGM", ".ASP", ".CFM", ".HTX", ".PHP", ".JSP"})
        if (url.contains(QLatin1String(ext)))
            return !url.contains(QLatin1Char('\\')) || url.contains(fileUrl);
    return url.contains(fileUrl);
}

}  // namespace qb
