// The select dialog: its lists, a wrong name that keeps it open, and a package taken through it.

#include "backup/SelectDirDialog.h"

#include "session/Session.h"
#include "support/StoreFixture.h"

#include "RestoreSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProgressBar>

using namespace qb;

namespace {

class RestoreDialog : public test::StoreFixture {};

TEST_F(RestoreDialog, ANameWithoutZipLeavesTheDialogOpen)
{
    QFile notes(path(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();
    TSelectDir dialog(RestoreMode::Merge, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("SELECT *.ZIP FILE TO IMPORT FROM"));
    EXPECT_TRUE(dialog.filterBox()->itemText(1).contains(
        QStringLiteral("self-extracting packages do not exist on this platform")));
    EXPECT_FALSE(dialog.selectFile(QStringLiteral("notes.txt")));  // not a package name
    dialog.setFilter(2);
    ASSERT_TRUE(dialog.selectFile(QStringLiteral("notes.txt")));
    messenger.expect(QStringLiteral("Select a correct QB archive file!"));
    messenger.expect(kArchiveNotOk);
    dialog.OKBtnClick();
    EXPECT_EQ(dialog.lastOutcome(), RestoreOutcome::WrongName);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(RestoreDialog, APackageChosenInTheListIsMergedWithTheProgressShown)
{
    addWord(17, QStringLiteral("tree"));
    const QString sourceDir = dir() + QStringLiteral("-src");
    {
        test::PackageSource src(sourceDir);
        src.exec(
            QStringLiteral("INSERT INTO WORD VALUES ('tree', 2, -1, 1, -1), ('bush', 3, -1, "
                           "1, -1)"));
        QDir().mkpath(QDir(dir()).filePath(QStringLiteral("pkgs")));
        src.zip(QDir(dir()).filePath(QStringLiteral("pkgs/12091530.zip")));
    }
    QDir(sourceDir).removeRecursively();
    TSelectDir dialog(RestoreMode::Merge, nullptr);
    dialog.show();
    ASSERT_FALSE(
        dialog.folderList()->findItems(QStringLiteral("pkgs"), Qt::MatchExactly).isEmpty());
    Q_EMIT dialog.folderList()->itemDoubleClicked(
        dialog.folderList()->findItems(QStringLiteral("pkgs"), Qt::MatchExactly).first());
    ASSERT_TRUE(dialog.selectFile(QStringLiteral("12091530.zip")));
    int highest = -1;
    QObject::connect(dialog.progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { highest = std::max(highest, v); });
    messenger.answer(MessageButton::Yes);  // "Will add/replace with data from: ..."
    messenger.expect(QStringLiteral("Done, pls press Ctrl+S"));
    dialog.OKBtnClick();
    EXPECT_EQ(dialog.lastOutcome(), RestoreOutcome::Done);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(highest, 100);  // full beside "Done"
    EXPECT_TRUE(messenger.saw(QStringLiteral("Will add/replace with data from: ")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")),
              (QStringList{"tree|17", "bush|18"}));
}

}  // namespace
