#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include "DictionaryUiFixture.h"
#include "projects/DirectoryMap.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectRecords.h"
#include "shell/MainWindow.h"

using namespace qb;

namespace {

// The directory/file picker and the update dialog's Browse.
class DirectoryMap : public test::DictionaryUi {
protected:
    void SetUp() override
    {
        DictionaryUi::SetUp();
        addProject(QStringLiteral("GAMMA"), -45000.3);
        QDir().mkpath(path(QStringLiteral("Notes/Garden")));
        for (const char* name :
             {"Notes/Plan.TXT", "Notes/b.rtf", "Notes/page.html", "Notes/x.bin"}) {
            QFile f(path(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    static QStringList listed(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
};

TEST_F(DirectoryMap, OpensOnTheFolderOfThePathAndPicksAFileOrTheFolder)
{
    TDirectoryMap map(path(QStringLiteral("Notes/gone/old.txt")), nullptr);
    EXPECT_EQ(map.windowTitle(), QStringLiteral("SELECT DIRECTORY OR FILE"));
    // The folder that is gone gives way to the nearest one there.
    EXPECT_EQ(map.directory(), path(QStringLiteral("Notes")));
    QTreeWidgetItem* notes = map.directories()->currentItem();
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->text(0), QStringLiteral("Notes"));
    ASSERT_EQ(notes->childCount(), 1);
    EXPECT_EQ(notes->child(0)->text(0), QStringLiteral("Garden"));
    // No files until a type is clicked.
    EXPECT_FALSE(map.files()->isVisibleTo(&map));
    map.chooseType(1);
    EXPECT_TRUE(map.files()->isVisibleTo(&map));
    EXPECT_EQ(listed(map.files()),
              (QStringList{QStringLiteral("b.rtf"), QStringLiteral("Plan.TXT")}));
    map.chooseType(2);
    EXPECT_EQ(listed(map.files()), QStringList{QStringLiteral("page.html")});
    map.chooseType(1);
    map.files()->setCurrentRow(1);
    map.FileNameClick();
    EXPECT_EQ(map.result(), path(QStringLiteral("Notes/Plan.TXT")));

    TDirectoryMap again(path(QStringLiteral("Notes")), nullptr);
    again.setDirectory(path(QStringLiteral("Notes/Garden")));
    ASSERT_NE(again.directories()->currentItem(), nullptr);
    EXPECT_EQ(again.directories()->currentItem()->text(0), QStringLiteral("Garden"));
    again.DirectoryClick();
    EXPECT_EQ(again.result(), path(QStringLiteral("Notes/Garden/")));

    TDirectoryMap home(path(QStringLiteral("Notes")), nullptr);
    home.HomeDirClick();
    EXPECT_EQ(home.directory(), QDir::cleanPath(dir()));
}

TEST_F(DirectoryMap, BrowseStoresThePathAsItIsAndRefusesOneTooLong)
{
    TUpd_Project dialog(*FindProject(QStringLiteral("GAMMA")), nullptr);
    EXPECT_FALSE(dialog.applyBrowsed(QString()));
    const QString plan = path(QStringLiteral("Notes/Plan.TXT"));
    ASSERT_TRUE(dialog.applyBrowsed(plan));
    EXPECT_EQ(dialog.urlEdit()->text(), plan);
    EXPECT_EQ(FindProject(QStringLiteral("GAMMA"))->url, plan);

    messenger.expect(QStringLiteral("Project name or URL length must not exceed 80 chars"));
    EXPECT_FALSE(dialog.applyBrowsed(QStringLiteral("/") + QString(80, QLatin1Char('a'))));
    EXPECT_EQ(FindProject(QStringLiteral("GAMMA"))->url, plan);
    // Cancel puts back the URL the dialog opened with.
    dialog.CancelBtnClick();
    EXPECT_EQ(FindProject(QStringLiteral("GAMMA"))->url, QString());
}

}  // namespace
