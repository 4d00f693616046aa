#include "ItemCardFixture.h"

#include "items/ItemHooks.h"
#include "search/LookupMenu.h"

#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

namespace qb::test {

namespace {

class LookupMenuCard : public ItemCardFixture {};

TEST_F(LookupMenuCard, ARightPressOnASelectedWordReplacesItByTheChosenForm)
{
    addWord(90, QStringLiteral("cat"));
    for (const char* form : {"cat", "cats", "kätzchen"})
        exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES (?1, 90)"),
             {QString::fromUtf8(form)});
    int searches = 0;
    itemHooks().wordLookup = [&searches](TItem& card, const QString& selection, QPoint at) {
        search::ShowLookupMenu(card, selection, at, [&searches] { ++searches; });
    };
    TItem* card = makeCard(-46000.5L, QStringLiteral("two Cats, here"));
    QTextCursor cursor = card->textEditor()->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(9, QTextCursor::KeepAnchor);  // "Cats,"
    card->textEditor()->setTextCursor(cursor);

    QStringList shown;
    bool flywordEnabled = true;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) shown << a->text();
        flywordEnabled = menu->findChild<QAction*>(QStringLiteral("AddF_pop"))->isEnabled();
        QAction* kitten = menu->findChild<QAction*>(QStringLiteral("AddW_2"));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(kitten).center());
    });
    QWidget* text = card->textEditor()->viewport();
    QTest::mousePress(text, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));

    EXPECT_EQ(shown, (QStringList{"Find", "Add Word", "Flyword", "-> cat", "-> kätzchen",
                                  "Regular Menu"}));
    EXPECT_FALSE(flywordEnabled);  // no flywords on this desktop
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("cats"));
    EXPECT_EQ(card->textEditor()->toPlainText(), QStringLiteral("two kätzchen  here"));
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(searches, 0);
}

}  // namespace
}  // namespace qb::test
