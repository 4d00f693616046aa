#include "support/StoreFixture.h"

#include "items/ItemLinks.h"
#include "platform/TextChecks.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class ProjectRecords : public test::StoreFixture {
protected:
    QString projectField(const QString& name, const QString& column)
    {
        const QStringList found =
            rows(QStringLiteral("SELECT %1 FROM PROJECT WHERE Project = '%2'")
                     .arg(column, QString(name).replace(QLatin1Char('\''), QStringLiteral("''"))));
        return found.isEmpty() ? QStringLiteral("<none>") : found.first();
    }
    static QStringList names(const std::vector<ProjectRecord>& records)
    {
        QStringList out;
        for (const ProjectRecord& r : records) out << r.name;
        return out;
    }
};

TEST_F(ProjectRecords, CreateUpperCasesAndNeverOverwritesAnExistingProject)
{
    const std::optional<Timestamp> pts = CreateProject(
        QStringLiteral(" garden "), QStringLiteral("HOME"), QStringLiteral("http://a"));
    ASSERT_TRUE(pts);
    EXPECT_EQ(projectField(QStringLiteral("GARDEN"), QStringLiteral("Tag || '|' || URL")),
              QStringLiteral("HOME|http://a"));
    EXPECT_EQ(projectState().lastNewName, QStringLiteral("GARDEN"));
    EXPECT_EQ(projectState().lastNewPts, *pts);

    // Another program's row of the same name stays as it is.
    EXPECT_FALSE(CreateProject(QStringLiteral("Garden"), QStringLiteral("OTHER")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Duplicate id - no update ")));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("Update failed, projid: GARDEN"));
    EXPECT_EQ(projectField(QStringLiteral("GARDEN"), QStringLiteral("Tag")),
              QStringLiteral("HOME"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PROJECT")).toInt(), 1);
}

TEST_F(ProjectRecords, QuotesWildcardsAndBackslashesAreMatchedLiterally)
{
    const QString odd = QStringLiteral("O'NEIL \"Q\" 5%_\\X");
    ASSERT_TRUE(CreateProject(odd, QStringLiteral("IT'S")));
    addProject(QStringLiteral("O'NEIL \"Q\" 55AX"), -45000.0L);
    addProject(QStringLiteral("A5%"), -45001.0L);
    addProject(QStringLiteral("AB5X"), -45002.0L);

    EXPECT_TRUE(FindProject(odd.toUpper()));
    EXPECT_EQ(names(ProjectsStartingWith(QStringLiteral("o'neil \"q\" 5%_"))),
              QStringList{odd.toUpper()});
    // "%" and "_" typed by the user are characters, not wildcards.
    EXPECT_EQ(names(ProjectsContaining(QStringLiteral("5%"))),
              (QStringList{QStringLiteral("A5%"), odd.toUpper()}));
    EXPECT_EQ(names(ProjectsContaining(QStringLiteral("_"))), QStringList{odd.toUpper()});
    EXPECT_EQ(names(ProjectsContaining(QStringLiteral("\\"))), QStringList{odd.toUpper()});

    EXPECT_EQ(StampCategory(QStringLiteral("it's")), 1);
    EXPECT_EQ(names(ProjectList(ProjectOrder::Alphabetical, QStringLiteral("it's"))),
              QStringList{odd.toUpper()});
    EXPECT_TRUE(MarkTime(odd.toUpper()));
    EXPECT_TRUE(DeleteProjectRecord(odd.toUpper()));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PROJECT")).toInt(), 3);
}

TEST_F(ProjectRecords, NamesCountCharactersOnceUpperCasedAndRefuseControls)
{
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80").repeated(38);  // 76 UTF-16 units
    ASSERT_TRUE(CreateProject(emoji));
    messenger.expect(QStringLiteral("A project name has at most 38 characters"));
    EXPECT_FALSE(CreateProject(QString::fromUtf8("\xc3\x9f").repeated(20)));  // "SS" x 20
    messenger.expect(ControlCharacterMessage(QStringLiteral("A project name")));
    EXPECT_FALSE(CreateProject(QStringLiteral("TAB\tNAME")));
    EXPECT_EQ(ProjectFromWord(QStringLiteral("esc\x1b"), {}).outcome, WordProject::Failed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PROJECT")).toInt(), 1);

    // Names from outside are offered without controls, cut by characters.
    EXPECT_EQ(ProposedProjectName(QStringLiteral(" my\tpage\x1b title\n")),
              QStringLiteral("MY PAGE  TITLE"));
    EXPECT_EQ(ProposedProjectName(emoji + QStringLiteral("x")), emoji);

    // A card holds a name whole or refuses it: a shortened one would link to no project.
    ItemCardData card;
    EXPECT_TRUE(AddProject(card, emoji));
    messenger.expect(QStringLiteral("cannot be linked"));
    EXPECT_FALSE(AddProject(card, QString(51, QLatin1Char('X'))));
    EXPECT_EQ(card.projects, QStringList{emoji});
}

TEST_F(ProjectRecords, DeleteTakesEveryLinkAndOrderRowSoANewProjectOfTheNameStartsEmpty)
{
    addProject(QStringLiteral("OLD"), -45000.0L);
    addProject(QStringLiteral("KEEP"), -45001.0L);
    exec(QStringLiteral("BEGIN"));
    // More items than a desktop unlinks; KEEP comes after OLD on each item.
    for (int i = 0; i < 150; ++i)
        addItem(-46000.0L - i, QStringLiteral("item"), {}, {"OLD", "KEEP"});
    exec(QStringLiteral("COMMIT"));
    exec(
        QStringLiteral("INSERT INTO PRJORDR (Project, IT, ITS) VALUES ('OLD', -46000, -5), "
                       "('OLD', -46001, 7)"));

    ASSERT_TRUE(DeleteProjectRecord(QStringLiteral("OLD")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMURL WHERE Project = 'OLD'")), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PRJORDR")), 0);
    // The links left are numbered from 1 again.
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT Project || \"Order\" FROM ITEMURL")),
              QStringList{QStringLiteral("KEEP1")});
    ASSERT_TRUE(CreateProject(QStringLiteral("old")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMURL WHERE Project = 'OLD'")), 0);

    // "Ref:s Only" unlinks every item and keeps the project.
    ASSERT_TRUE(RemoveAllProjectLinks(QStringLiteral("KEEP")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMURL")), 0);
    EXPECT_TRUE(FindProject(QStringLiteral("KEEP")));
}

TEST_F(ProjectRecords, ACategoryStampsEveryTagContainingItAndTheFilterTakesEqualTagsOnly)
{
    exec(
        QStringLiteral("INSERT INTO PROJECT (Project, PTS, Tag) VALUES "
                       "('P1', -45000, 'AB'), ('P2', -45001, 'XAB'), ('P3', -45002, 'A'), "
                       "('P4', -45003, 'ab')"));
    clock.set(QDateTime(QDate(2026, 5, 4), QTime(10, 0)));
    EXPECT_EQ(StampCategory(QStringLiteral("ab")), 3);

    // PTS = B + n x 1e-8, n counting every row of the table in its stored order.
    const double p1 =
        scalar(QStringLiteral("SELECT PTS FROM PROJECT WHERE Project='P1'")).toDouble();
    const double p2 =
        scalar(QStringLiteral("SELECT PTS FROM PROJECT WHERE Project='P2'")).toDouble();
    const double p4 =
        scalar(QStringLiteral("SELECT PTS FROM PROJECT WHERE Project='P4'")).toDouble();
    EXPECT_NEAR(p2 - p1, 1e-8, 1e-10);
    EXPECT_NEAR(p4 - p1, 3e-8, 1e-10);
    EXPECT_LT(p1, -46000.0);

    EXPECT_EQ(names(ProjectList(ProjectOrder::TimeStamp)),
              (QStringList{QStringLiteral("P1"), QStringLiteral("P2"), QStringLiteral("P4"),
                           QStringLiteral("P3")}));
    EXPECT_EQ(names(ProjectList(ProjectOrder::TimeStamp, QStringLiteral("AB"))),
              (QStringList{QStringLiteral("P1"), QStringLiteral("P4")}));
    QStringList tags = ProjectTags();
    tags.sort();
    EXPECT_EQ(tags, (QStringList{QStringLiteral("A"), QStringLiteral("AB"), QStringLiteral("XAB"),
                                 QStringLiteral("ab")}));
}

TEST_F(ProjectRecords, FindGoesOnInTimeStampOrderAndStopsAtTheEnd)
{
    addProject(QStringLiteral("GARDEN WEST"), -45000.0L);
    addProject(QStringLiteral("GARDEN EAST"), -45001.0L);
    addProject(QStringLiteral("HOUSE"), -45002.0L);

    EXPECT_EQ(FindProjectStart(QStringLiteral("garden")), -45001.0L);
    EXPECT_EQ(FindProjectNext(QStringLiteral("garden")), -45000.0L);
    messenger.expect(QStringLiteral("Nothing found"));
    EXPECT_EQ(FindProjectNext(QStringLiteral("garden")), 0.0L);
    EXPECT_EQ(projectState().findResult, 0.0L);
    // After a search that ran to the end, Next does nothing; Start begins again.
    EXPECT_EQ(FindProjectNext(QStringLiteral("garden")), 0.0L);
    EXPECT_EQ(FindProjectStart(QStringLiteral("garden")), -45001.0L);

    QStringList history{QStringLiteral("house")};
    AddFindHistory(history, QStringLiteral(" house "));
    AddFindHistory(history, QStringLiteral("garden"));
    EXPECT_EQ(history, (QStringList{QStringLiteral("garden"), QStringLiteral("house")}));
}

TEST_F(ProjectRecords, UpdateStampsTheTagAndMakesTheAttachedTextFile)
{
    addProject(QStringLiteral("MY PROJECT"), -45000.0L);
    exec(QStringLiteral("UPDATE PROJECT SET URL = NULL"));
    ASSERT_TRUE(QDir(dir()).mkpath(QStringLiteral("projects")));
    clock.set(QDateTime(QDate(2026, 5, 4), QTime(10, 0)));
    messenger.answer(MessageButton::Yes);
    ASSERT_TRUE(ConfirmProjectUpdate({QStringLiteral("MY PROJECT"), QString(), QString(), true}));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Do you want to create a textfile")));

    const QString file = QDir(dir()).filePath(QStringLiteral("projects/MY.txt"));
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(text.readAll()).startsWith(QStringLiteral("[MY PROJECT  ")));
    EXPECT_EQ(projectField(QStringLiteral("MY PROJECT"), QStringLiteral("Tag || '|' || URL")),
              QStringLiteral("NONE|") + file);
    EXPECT_LT(projectField(QStringLiteral("MY PROJECT"), QStringLiteral("PTS")).toDouble(),
              -46000.0);
    EXPECT_EQ(projectState().current, QStringLiteral("MY PROJECT"));

    ASSERT_TRUE(ConfirmProjectUpdate(
        {QStringLiteral("MY PROJECT"), QStringLiteral("home"), QStringLiteral("http://b"), false}));
    EXPECT_EQ(projectField(QStringLiteral("MY PROJECT"), QStringLiteral("Tag || '|' || URL")),
              QStringLiteral("HOME|http://b"));
}

TEST_F(ProjectRecords, WritesToADeletedProjectBringNoRowBack)
{
    messenger.expect(QStringLiteral("Project update fails"));
    EXPECT_FALSE(ConfirmProjectUpdate(
        {QStringLiteral("GONE"), QStringLiteral("X"), QStringLiteral("http://x"), false}));
    EXPECT_FALSE(CancelProjectUpdate(QStringLiteral("GONE"), QString(), QString()));
    EXPECT_FALSE(MarkTime(QStringLiteral("GONE")));
    EXPECT_FALSE(RegisterShortcut(QStringLiteral("GONE"), QStringLiteral("/a"), true, QString()));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PROJECT")).toInt(), 0);

    addProject(QStringLiteral("P"), -45000.0L);
    messenger.expect(QStringLiteral("must not exceed 80 chars"));
    EXPECT_FALSE(RegisterShortcut(QStringLiteral("P"), QString(81, QLatin1Char('a')), false, {}));
    EXPECT_FALSE(SetProjectUrl(QStringLiteral("P"), QString(81, QLatin1Char('a')), true));
    EXPECT_TRUE(SetProjectUrl(QStringLiteral("P"), QStringLiteral("/home/a.txt"), true));
    EXPECT_EQ(projectField(QStringLiteral("P"), QStringLiteral("URL")),
              QStringLiteral("/HOME/A.TXT"));
}

TEST_F(ProjectRecords, FileNamesAndWebAddresses)
{
    EXPECT_EQ(CleanFileName(QStringLiteral("MY PROJECT"), false), QStringLiteral("MY"));
    EXPECT_EQ(CleanFileName(QStringLiteral("A[1](b)?.c;d|e\\f/g!h\"#\u00a4%&=*+i-j"), false),
              QStringLiteral("A1bcdefghij"));
    EXPECT_EQ(CleanFileName(QStringLiteral(" two words "), true), QStringLiteral("two words"));

    EXPECT_TRUE(IsWebAddress(QStringLiteral("https://example.org")));
    EXPECT_TRUE(IsWebAddress(QStringLiteral("www.example.org/notes/page.htm")));
    EXPECT_FALSE(IsWebAddress(QStringLiteral("C:\\notes\\page.htm")));
    EXPECT_TRUE(IsWebAddress(QStringLiteral("file:///C:\\notes\\page.htm")));
    EXPECT_FALSE(IsWebAddress(QStringLiteral("/home/me/notes.txt")));
    EXPECT_TRUE(IsWebAddress(QStringLiteral("file:///home/me/notes.txt")));
}

}  // namespace
