#include "cards/Desktop.h"
#include "desktop/FlyWord.h"
#include "dictionary/ExplodeMode.h"
#include "items/ItemCard.h"
#include "items/SelectConceptDialog.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/ImportedText.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMouseEvent>

using namespace qb;

namespace {

class CaptureMenu : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        window = std::make_unique<TBillBoard>();
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    void TearDown() override
    {
        window.reset();
        StoreFixture::TearDown();
    }
    void run(const char* command)
    {
        window->commands().action(QString::fromLatin1(command))->trigger();
    }
    int count(const char* table)
    {
        sql::Statement st(session().store.db(),
                          QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table));
        return st.next() ? st.intValue(0) : -1;
    }

    std::unique_ptr<TBillBoard> window;
};

TEST_F(CaptureMenu, EditCommandsServeTheFocusedListBoxAndRefuseWhatTheyCannotDo)
{
    auto* list = new QListWidget(window->desktop());
    list->addItems(
        {QStringLiteral("\u0433\u043E\u0440\u0430\U0001F600"), QStringLiteral("second")});
    list->show();
    list->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), list);

    list->setCurrentRow(0);
    run(cmd::EditCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("\u0433\u043E\u0440\u0430\U0001F600"));
    EXPECT_EQ(window->toolBar()->clipboardSizeText().trimmed(), QStringLiteral("5"));

    list->setCurrentRow(1);
    run(cmd::EditSelectAndCopyAll);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("second"));

    run(cmd::EditCut);
    run(cmd::EditPaste);
    EXPECT_EQ(list->count(), 2);
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb3392"));
    EXPECT_EQ(messenger.shown[1].request.code, QStringLiteral("qb3397"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("clipboard copy or paste operation undefined")));
}

TEST_F(CaptureMenu, ACaptureWithoutTheTrayStoresTheItemAndTellsWhenItGotNoKeyword)
{
    addWord(1, QStringLiteral("apple"));
    addConcept(-45000.25L, {1});
    addConcept(-45001.5L, {1});
    QGuiApplication::clipboard()->setText(QStringLiteral("one\r\ntwo  three\r\n"));
    run(cmd::RemoveCRsFromClipboard);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("one two three"));
    EXPECT_EQ(messenger.count(), 0);

    // The keyword's two concepts are offered; the choice is cancelled.
    QGuiApplication::clipboard()->setText(QStringLiteral("\u0416\u0438\r\nline"));
    messenger.answer(MessageButton::Ok, QStringLiteral(" Apple "));
    test::ModalDriver driver;
    driver.then([](QWidget* w) {
        auto* dialog = qobject_cast<SelectConceptDialog*>(w);
        ASSERT_TRUE(dialog);
        dialog->reject();
    });
    run(cmd::TraySaveClipboardAsItem);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(messenger.shown.at(0).request.code, QStringLiteral("qb7125x"));
    EXPECT_EQ(messenger.shown.at(0).request.message, QStringLiteral("\u0416\u0438\r\nline"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("stored as an item without a keyword")));
    EXPECT_EQ(count("ITEM"), 1);
    EXPECT_EQ(count("ITEMKEYS"), 0);
}

TEST_F(CaptureMenu, ADoubleClickOnAWordOfAnItemTextMakesAFlywordOfIt)
{
    run(cmd::NewBlankItem);
    const QList<TItem*> items = window->desktop()->findChildren<TItem*>();
    ASSERT_EQ(items.size(), 1);
    TItemText* text = items[0]->textEditor();
    text->setPlainText(QStringLiteral("\u0416\u0443\u043A\U0001F600 beetle"));
    QWidget* view = text->viewport();
    text->moveCursor(QTextCursor::Start);
    const QPoint at = text->cursorRect().center() + QPoint(4, 0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent e(type, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    }
    const QList<TFlyWord*> flywords = window->desktop()->findChildren<TFlyWord*>();
    ASSERT_EQ(flywords.size(), 1);
    EXPECT_EQ(flywords[0]->field()->text(), QStringLiteral("\u0436\u0443\u043A\U0001F600"));
}

TEST_F(CaptureMenu, ADoubleClickInTheImportedTextMakesAFlyword)
{
    TfrmImpText* imported = TfrmImpText::instance();
    imported->show();
    EXPECT_EQ(imported->windowTitle(), QStringLiteral("IMPORTED TEXT (qbimport.txt) "));
    imported->text()->setPlainText(QStringLiteral("\u03BA\u03CC\u03C3\u03BC\u03BF\u03C2 word"));
    QWidget* view = imported->text()->viewport();
    const QPoint at =
        imported->text()->cursorRect(imported->text()->textCursor()).center() + QPoint(6, 0);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), view->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(at), view->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &twice);
    const QList<TFlyWord*> flywords = window->desktop()->findChildren<TFlyWord*>();
    ASSERT_EQ(flywords.size(), 1);
    EXPECT_EQ(flywords[0]->field()->text(), QStringLiteral("\u03BA\u03CC\u03C3\u03BC\u03BF\u03C2"));
}

}  // namespace

namespace {

TEST_F(CaptureMenu, TheExplodeKeysAreOffOnlyWhileAFlywordIsEdited)
{
    run(cmd::NewFlyword);
    const QList<TFlyWord*> flywords = window->desktop()->findChildren<TFlyWord*>();
    ASSERT_EQ(flywords.size(), 1);
    TFlyWord* fly = flywords[0];
    ASSERT_TRUE(fly->editing());
    ASSERT_EQ(QApplication::focusWidget(), fly->field());
    auto type = [](const QString& text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    };
    const ExplodeMode before = explodeMode();
    type(QStringLiteral("+"));
    EXPECT_EQ(fly->field()->text(), QStringLiteral("+"));
    EXPECT_EQ(explodeMode(), before);

    fly->ToggleEditMode();
    type(QStringLiteral("+"));
    EXPECT_EQ(fly->field()->text(), QStringLiteral("+"));
    EXPECT_NE(explodeMode(), before);

    // Words typed with blanks between them keep the blanks, key release by key release.
    fly->ToggleEditMode();
    fly->field()->clear();
    for (const QChar c : QStringLiteral("hello big world")) {
        const int key = c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A + (c.unicode() - 'a');
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
    EXPECT_EQ(fly->field()->text(), QStringLiteral("hello big world"));
}

}  // namespace
