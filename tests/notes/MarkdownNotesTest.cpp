#include "support/StoreFixture.h"

#include "interchange/MarkdownNotes.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class MarkdownNotes : public test::StoreFixture {
protected:
    // Every row the notes carry, in a fixed order: items, keywords with their words, project
    // links, projects and the projects' saved order.
    QStringList storeRows()
    {
        QStringList all;
        for (const char* sql :
             {"SELECT IT, TX, ITS FROM ITEM ORDER BY IT",
              "SELECT k.IT, k.\"Order\", k.ITC, w.Word FROM ITEMKEYS k JOIN WORD w "
              "ON w.WNo = k.WNo ORDER BY k.IT, k.\"Order\"",
              "SELECT IT, \"Order\", Project FROM ITEMURL ORDER BY IT, \"Order\"",
              "SELECT Project, PTS, URL, Tag FROM PROJECT ORDER BY Project",
              "SELECT Project, IT, ITS FROM PRJORDR ORDER BY Project, IT",
              "SELECT DISTINCT d.C, w.Word FROM DICT d JOIN WORD w ON w.WNo = d.WNo ORDER BY 1, 2"})
            all += rows(QString::fromLatin1(sql));
        return all;
    }

    static std::string joined(const QStringList& rows) { return rows.join('\n').toStdString(); }

    void openOther(const QTemporaryDir& other)
    {
        session().store.close();
        QString error;
        ASSERT_TRUE(schema::createEmptyStore(other.path(), &error)) << error.toStdString();
        ASSERT_TRUE(session().store.open(other.path(), &error)) << error.toStdString();
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(MarkdownNotes, ExportThenImportIntoAnEmptyStoreGivesEveryRowBack)
{
    addWord(1, QStringLiteral("apple"));
    addWord(2, QStringLiteral("pomme"));
    addWord(3, QStringLiteral("say \"hi\" \\ now"));
    addWord(4, QStringLiteral("яблоко"));
    const Timestamp fruit = addConcept(-46000.5L, {1, 2, 4});
    const Timestamp odd = addConcept(-46000.25L, {3});
    addProject(QStringLiteral("GARDEN"), -45900.5L);
    addProject(QStringLiteral("A/B: \"Q\""), -45900.25L);
    exec(
        QStringLiteral("UPDATE PROJECT SET URL = 'http://x/y', Tag = 'HOME' "
                       "WHERE Project = 'GARDEN'"));
    // Texts that look like front matter, end without or with blank lines, share a first line.
    addItem(-46001.1L, QStringLiteral("---\nid: -1\n---\nbody ]]> after"), {{fruit, 1}, {odd, 3}},
            {QStringLiteral("GARDEN"), QStringLiteral("A/B: \"Q\"")}, -46101.1L);
    addItem(-46001.2L, QStringLiteral("Same title\n\n"), {{fruit, 4}, {fruit, 2}},
            {QStringLiteral("GARDEN")}, -46101.2L);
    addItem(-46001.3L, QStringLiteral("Same title"), {}, {QStringLiteral("GARDEN")}, -46101.3L);
    addItem(-46001.4L, QStringLiteral("\n\n\t#notatag line -free ../../etc/passwd"), {{odd, 3}});
    exec(QStringLiteral("INSERT INTO PRJORDR (Project, IT, ITS) VALUES ('GARDEN', ?1, -46200.3), "
                        "('GARDEN', ?2, -46200.1), ('GARDEN', ?3, -46200.2)"),
         {double(-46001.1L), double(-46001.2L), double(-46001.3L)});
    const QStringList before = storeRows();
    session().store.close();

    // The folder is named from where the command was given, not from the store.
    QTemporaryDir caller;
    const QString home = QDir::currentPath();
    QDir::setCurrent(caller.path());
    QString out, err;
    const int code = runCli(
        {QStringLiteral("--dir"), dir(), QStringLiteral("export-notes"), QStringLiteral("notes")},
        &out, &err);
    QDir::setCurrent(home);
    ASSERT_EQ(code, 0) << err.toStdString();
    const QString notes = caller.filePath(QStringLiteral("notes"));
    EXPECT_EQ(QDir(notes).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(QFile::exists(notes + QStringLiteral("/Same-title.md")));
    EXPECT_TRUE(QFile::exists(notes + QStringLiteral("/Same-title-2.md")));
    // Never into a folder that holds files already.
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("export-notes"), notes}), 1);

    QTemporaryDir other;
    openOther(other);
    NotesImportResult result = ImportNotes(notes);
    ASSERT_TRUE(result.ok) << NotesImportReport(result).toStdString();
    EXPECT_EQ(result.added.size(), 4);
    EXPECT_EQ(result.projects.size(), 2);
    EXPECT_TRUE(result.refused.isEmpty()) << NotesImportReport(result).toStdString();
    EXPECT_EQ(joined(storeRows()), joined(before));

    // The same folder again updates the items it made instead of adding them twice.
    result = ImportNotes(notes);
    EXPECT_EQ(result.updated.size(), 4);
    EXPECT_EQ(result.added.size(), 0);
    EXPECT_EQ(joined(storeRows()), joined(before));
}

TEST_F(MarkdownNotes, FolderWrittenByHandTakesTagsAndSubFoldersAndRefusesBadFiles)
{
    const QString hand = path(QStringLiteral("hand"));
    write(hand + QStringLiteral("/Travel/pack.md"),
          "---\ntitle: Packing list\ntags: [Gear, \"trip plans\"]\nauthor: me\n---\n"
          "socks #travel and #2024, a [link](http://x/#anchor) and #summer-time\n"
          "```\n#include <code>\n```\n");
    write(hand + QStringLiteral("/Travel/deep/more.txt"), "Idea\r\nwith CRLF");
    write(hand + QStringLiteral("/bin.md"), QByteArray("bin\0ary", 7));
    write(hand + QStringLiteral("/latin.md"), "caf\xe9");
    write(hand + QStringLiteral("/bad\x01name.md"), "x");
    write(hand + QStringLiteral("/photo.png"), "png");
    write(hand + QStringLiteral("/huge.md"), QByteArray(notes::kMaxFileBytes + 1, 'a'));
    write(hand + QStringLiteral("/.obsidian/app.md"), "settings");
    // Another program stored an item where the second new note's id would fall.
    const Timestamp first = GetQBTS();
    session().timestamps.reset();
    addItem(first - TimestampGenerator::kCounterStep, QStringLiteral("keep me"));

    const NotesImportResult result = ImportNotes(hand);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.added, QStringList({QStringLiteral("Travel/deep/more.txt"),
                                         QStringLiteral("Travel/pack.md")}));
    const QString report = NotesImportReport(result);
    for (const char* line :
         {"refused\tbad\\x01name.md: the name", "refused\tbin.md: ", "refused\tlatin.md: not UTF-8",
          "refused\thuge.md: larger than", "skipped\tphoto.png"})
        EXPECT_TRUE(report.contains(QString::fromLatin1(line))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("obsidian")));

    EXPECT_EQ(joined(rows(QStringLiteral("SELECT TX FROM ITEM ORDER BY TX"))),
              joined({QStringLiteral("Packing list\n\nsocks #travel and #2024, a "
                                     "[link](http://x/#anchor) and #summer-time\n"
                                     "```\n#include <code>\n```\n"),
                      QStringLiteral("keep me"), QStringLiteral("more\n\nIdea\nwith CRLF")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT w.Word FROM ITEMKEYS k JOIN WORD w ON w.WNo = k.WNo "
                                  "JOIN ITEM i ON i.IT = k.IT ORDER BY k.\"Order\"")),
              QStringList({QStringLiteral("gear"), QStringLiteral("trip plans"),
                           QStringLiteral("travel"), QStringLiteral("summer-time")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT Project FROM ITEMURL")),
              QStringList({QStringLiteral("TRAVEL")}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 3);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT IT) FROM ITEM")).toInt(), 3);
}

// Ten stamps a second: a wait for the clock per ten new words made a folder of notes with
// their own tags take minutes.
TEST_F(MarkdownNotes, ManyNewTagsImportWithoutWaitingForTheClock)
{
    const QString hand = path(QStringLiteral("tags"));
    for (int k = 0; k < 30; ++k)
        write(hand + QStringLiteral("/n%1.md").arg(k), "note #tag" + QByteArray::number(k));
    const int pauses = clock.pauseCount();
    const NotesImportResult result = ImportNotes(hand);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.added.size(), 30);
    EXPECT_EQ(clock.pauseCount(), pauses);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(DISTINCT WTS) FROM WORD")).toInt(), 30);
}

}  // namespace
