#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "backup/Backup.h"
#include "cards/Desktop.h"
#include "desktop/PopulateDesktop.h"
#include "dictionary/DictionaryWindow.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "platform/Sqlite.h"
#include "session/ExecFile.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

class BackupMenu : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        TExecFile::setPeriodScale(0.01);
        clock.set(QDateTime(QDate(2026, 2, 3), QTime(9, 5, 12)));
        ASSERT_TRUE(WriteBatchFiles(dir()));
        window = std::make_unique<TBillBoard>();
    }
    void TearDown() override
    {
        window.reset();
        TExecFile::setPeriodScale(1.0);
        StoreFixture::TearDown();
    }
    void trigger(const char* command) { window->commands().trigger(QString::fromLatin1(command)); }
    int itemCards()
    {
        int n = 0;
        for (TBasPanel* card : window->desktop()->cardWidgets())
            if (qobject_cast<TItem*>(card)) ++n;
        return n;
    }
    std::unique_ptr<TBillBoard> window;
};

QString packedText(const QString& package)
{
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-qq"), package, QStringLiteral("ITEM.DB"),
                                      QStringLiteral("-d"), out.path()});
    if (!p.waitForFinished(30000)) return QString();
    sql::Database db;
    if (!db.open(QDir(out.path()).filePath(QStringLiteral("ITEM.DB")), false)) return QString();
    sql::Statement st(db, QStringLiteral("SELECT TX FROM ITEM"));
    return st.next() ? st.textValue(0) : QString();
}

}  // namespace

TEST_F(BackupMenu, BackUpToFileCommitsTheDesktopFirstAndPacksTheEdit)
{
    const int tree = addWord(1, QStringLiteral("tree"));
    const Timestamp idea = addConcept(-45000.5, {tree});
    addItem(-46000.1, QStringLiteral("old text"), {{idea, tree}});
    TItem* card = Pick1Item(*window->desktop(), {120, 120}, -46000.1, 0, 0, 0, false).card;
    ASSERT_NE(card, nullptr);
    card->item().text = QStringLiteral("edited on the desktop");
    card->data().changed = true;

    messenger.answer(MessageButton::Ok, QStringLiteral("menu"));
    trigger(cmd::BackUpToFile);
    EXPECT_EQ(packedText(path(QStringLiteral("menu.zip"))),
              QStringLiteral("edited on the desktop"));
    // The end says where the package is.
    EXPECT_TRUE(messenger.saw(QStringLiteral("The backup was written to ") +
                              QDir(dir()).absoluteFilePath(QStringLiteral("menu.zip")) +
                              QStringLiteral(" (")));
    EXPECT_TRUE(session().store.isOpen());
    EXPECT_EQ(itemCards(), 0) << "the desktop was cleared for the backup";
}

TEST_F(BackupMenu, AnActivationWhileTheDesktopIsClearedLeavesTheWindowsToTheBackup)
{
    messenger.allow(QStringLiteral("Web Browser"));
    window->FormCreate();
    window->FormActivate();
    session().settings.saveToIniFileOnExit = true;
    ASSERT_NE(Newdictwindow1Click(*window->desktop()), nullptr);
    const auto dictionaries = [&] {
        return window->desktop()->cardsOfKind(CardKind::Dictionary).size();
    };
    // A refused name leaves the window on the desktop: a later activation adds none.
    messenger.answer(MessageButton::Cancel);
    trigger(cmd::BackUpToFile);
    window->FormActivate();
    EXPECT_EQ(dictionaries(), 1);

    // The name dialog has just closed: the window's activation waits in the queue.
    const std::function<void()> clear = session().hooks.clearDesktop;
    session().hooks.clearDesktop = [&] {
        QTimer::singleShot(0, window.get(), &TBillBoard::FormActivate);
        clear();
    };

    messenger.answer(MessageButton::Ok, QStringLiteral("menu"));
    messenger.expect(QStringLiteral("The backup was written to "));
    trigger(cmd::BackUpToFile);
    QApplication::processEvents();
    EXPECT_FALSE(messenger.saw(QStringLiteral("M838")));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("menu.zip"))));
    EXPECT_EQ(dictionaries(), 1) << "the saved window comes back once";
}

TEST_F(BackupMenu, FindDamagedItemsLeavesNoCardsAfterAGoodPass)
{
    const int tree = addWord(1, QStringLiteral("tree"));
    const Timestamp idea = addConcept(-45000.5, {tree});
    for (int i = 0; i < 25; ++i)
        addItem(-46000.0 - 0.001 * i, QStringLiteral("item %1").arg(i), {{idea, tree}});
    messenger.answer(MessageButton::Yes);
    messenger.expect(QStringLiteral("Done. Repair"));
    trigger(cmd::FindDamagedItems);
    EXPECT_EQ(itemCards(), 0);
    EXPECT_FALSE(session().flags.stopped());
}

TEST_F(BackupMenu, TheStartRemovesTheWorkOfAKilledBackup)
{
    // The process id of a shell that has ended.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    ASSERT_TRUE(shell.waitForFinished(30000));
    const QByteArray gone = shell.readAllStandardOutput().trimmed();
    const QString work = path(QStringLiteral("backup-Ab12Cd"));
    ASSERT_TRUE(QDir().mkpath(work));
    for (const auto& [name, text] :
         {std::pair{"owner", gone}, std::pair{"WORD.DB", QByteArray("copy")}}) {
        QFile f(QDir(work).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    messenger.allow(QStringLiteral("Web Browser"));
    window->FormCreate();
    EXPECT_FALSE(QFileInfo::exists(work));
}
