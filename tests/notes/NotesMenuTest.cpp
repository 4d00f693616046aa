#include "support/StoreFixture.h"

#include "interchange/NotesCommands.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class NotesMenu : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        clock.set(QDateTime(QDate(2026, 2, 3), QTime(9, 5, 12)));
    }
    void TearDown() override
    {
        window.reset();
        StoreFixture::TearDown();
    }
    std::unique_ptr<TBillBoard> window;
};

TEST_F(NotesMenu, ExportGoesBesideFilesAlreadyThereAndImportUpdatesTheSameItems)
{
    addWord(1, QStringLiteral("apple"));
    addConcept(-46000.5L, {1});
    addItem(-46001.1L, QStringLiteral("Hello"), {{-46000.5L, 1}});
    window = std::make_unique<TBillBoard>();
    EXPECT_TRUE(window->commands().isBound(QString::fromLatin1(cmd::ExportNotes)));
    EXPECT_TRUE(window->commands().isBound(QString::fromLatin1(cmd::ImportNotes)));

    QTemporaryDir target;
    {
        QFile mine(target.filePath(QStringLiteral("mine.md")));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("my own");
    }
    ExportNotesClick(window.get(), target.path());
    EXPECT_TRUE(messenger.saw(QStringLiteral("1 notes and 0 project listings written")));
    const QString made = target.filePath(QStringLiteral("quillbox-notes-2026-02-03-090512"));
    EXPECT_TRUE(QFile::exists(made + QStringLiteral("/Hello.md")));
    QFile mine(target.filePath(QStringLiteral("mine.md")));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), QByteArray("my own"));

    ImportNotesClick(window.get(), made);
    EXPECT_TRUE(messenger.saw(QStringLiteral("0 notes added, 1 updated")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 1);
    QFile report(path(QStringLiteral("notesimport.txt")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().contains("updated\tHello.md"));
}

}  // namespace
