#include "platform/IniFile.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/MainWindow.h"
#include "support/StoreFixture.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <memory>

namespace qb::test {

namespace {

class FindHistoryExit : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        cwd = QDir::currentPath();
        window = std::make_unique<TBillBoard>();
    }
    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(cwd);
        StoreFixture::TearDown();
    }

    std::unique_ptr<TBillBoard> window;
    QString cwd;
};

TEST_F(FindHistoryExit, AStoppedSessionStillWritesTheHistoryBack)
{
    writeIni(QStringLiteral("[SAVEDFIND]\r\nCount=1\r\nFindEntry_0=pear\r\n"));
    window->FormCreate();
    window->FormActivate();
    ASSERT_EQ(search::searchState().history, QStringList{QStringLiteral("pear")});
    session().settings.saveToIniFileOnExit = true;
    session().hooks.checkEmptyItems = [] { return false; };

    search::searchState().history = {QStringLiteral("fig"), QStringLiteral("pear")};
    session().flags.requestStop();
    EXPECT_TRUE(window->close());
    IniFile ini(path(QStringLiteral("qb.ini")));
    EXPECT_EQ(ini.readInteger("SAVEDFIND", "Count", 0), 2);
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_0", ""), QStringLiteral("fig"));
    EXPECT_EQ(ini.readString("SAVEDFIND", "FindEntry_1", ""), QStringLiteral("pear"));
}

}  // namespace

}  // namespace qb::test
