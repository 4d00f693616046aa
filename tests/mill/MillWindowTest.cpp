#include "mill/MillWindow.h"

#include "dictionary/DictionaryWindows.h"
#include "items/ItemHooks.h"
#include "session/Session.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace qb::test {
namespace {

class MillWindowTest : public StoreFixture {
protected:
    TMill& millWith(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        TMill& mill = TMill::instance();
        mill.show();
        mill.GetClipboardText();
        mill.OrderWords();
        return mill;
    }
    // A real double click, ending with its release, on the first occurrence of word in the display.
    void doubleClick(TMill& mill, const QString& word)
    {
        QTextCursor c(mill.display()->document());
        c.setPosition(int(mill.display()->toPlainText().indexOf(word)) + 1);
        const QPoint at = mill.display()->cursorRect(c).center();
        QTest::mouseDClick(mill.display()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(mill.display()->viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(20);
    }
    ModalDriver driver;
};

TEST_F(MillWindowTest, DoubleClickInTheStatisticsMakesAnUnknownWordAFormOfTheChosenCandidate)
{
    addWord(1, QStringLiteral("table"));
    addWord(2, QStringLiteral("tablet"));
    TMill& mill = millWith(QStringLiteral("Tablex went tablex"));
    QStringList offered;
    driver.then([&](QWidget* w) {
        auto* dialog = qobject_cast<TfrmMillAddInfl*>(w);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("   tablex ?"));
        for (int i = 0; i < dialog->list()->count(); ++i)
            offered << dialog->list()->item(i)->text();
        QTest::keyClick(dialog->list(), Qt::Key_Down);
        QTest::keyClick(dialog->list(), Qt::Key_Return);
    });
    doubleClick(mill, QStringLiteral("tablex"));
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(offered, (QStringList{"table", "tablet"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC")),
              (QStringList{QStringLiteral("tablex|2")}));
    EXPECT_TRUE(mill.display()->toPlainText().contains(QStringLiteral("\u007f tablex,    2")));
}

TEST_F(MillWindowTest,
       EscCancelsTheHandOffFlywordTakesTheSelectionCloseAsksForTheWordKnownWordsNeedNoDialog)
{
    addWord(1, QStringLiteral("table"));
    TMill& mill = millWith(QStringLiteral("table went"));
    bool flywordOffered = true;
    driver.then([&](QWidget* w) {
        flywordOffered = w->findChild<QPushButton*>(QStringLiteral("flyword"))->isEnabled();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    doubleClick(mill, QStringLiteral("went"));
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_FALSE(flywordOffered);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM INFLEC")).toInt(), 0);

    QString flyword;
    itemHooks().makeFlyword = [&](const QString& text, QPoint, Timestamp) { flyword = text; };
    session().settings.flyWordClick = false;
    driver.then([&](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("flyword")), Qt::LeftButton);
    });
    doubleClick(mill, QStringLiteral("went"));
    EXPECT_EQ(flyword, QStringLiteral("went"));

    // The close box acts as "&Word": the new-word dialog comes with the word.
    QString proposed;
    dictionaryHooks().runNewWordDialog = [&](const QString& text) { proposed = text; };
    driver.then([](QWidget* w) { w->close(); });
    doubleClick(mill, QStringLiteral("went"));
    EXPECT_EQ(proposed, QStringLiteral("went"));

    doubleClick(mill, QStringLiteral("table"));
    EXPECT_EQ(driver.handled(), 3);
    EXPECT_TRUE(driver.strays.isEmpty());

    QTest::keyClick(mill.display(), Qt::Key_Escape);
    EXPECT_TRUE(mill.mill().cancelMark);
    EXPECT_EQ(mill.statusBar()->currentMessage(), QStringLiteral("Operation canceled by user"));
}

}  // namespace
}  // namespace qb::test
