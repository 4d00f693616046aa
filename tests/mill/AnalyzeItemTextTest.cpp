#include "cards/Desktop.h"
#include "items/ItemCard.h"
#include "mill/MillWindow.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "support/StoreFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

namespace qb::test {
namespace {

class AnalyzeItemText : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        window = std::make_unique<TBillBoard>();
        window->show();
        QCoreApplication::processEvents();
        if (!window->firstActivationDone()) window->FormActivate();
        QCoreApplication::processEvents();
        messenger.clear();
    }
    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        StoreFixture::TearDown();
    }
    void run(const char* command) { window->commands().trigger(QString::fromLatin1(command)); }
    std::unique_ptr<TBillBoard> window;
};

TEST_F(AnalyzeItemText, TheFocusedItemTextIsOrderedInTheMillAndOtherTextIsNamedSo)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("Alpha beta, alpha! Gamma"));
    run(cmd::NewItemFromClipboard);
    TItem* card = window->desktop()->cardsOf<TItem>().last();
    QApplication::setActiveWindow(window.get());
    card->textEditor()->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("not this text at all"));
    run(cmd::AnalyzeItemText);
    TMill* mill = TMill::existing();
    ASSERT_TRUE(mill);
    EXPECT_TRUE(mill->isVisible());
    EXPECT_EQ(mill->display()->toPlainText(),
              QStringLiteral("alpha,    2\nbeta,    1\ngamma,    1"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), card->item().text);

    // Without an item text in focus the clipboard is taken as it is, after a word on that.
    window->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("other words, other"));
    run(cmd::AnalyzeItemText);
    EXPECT_TRUE(messenger.saw(QStringLiteral("This is not an Item Card Text")));
    EXPECT_EQ(mill->display()->toPlainText(), QStringLiteral("other,    2\nwords,    1"));
}

}  // namespace
}  // namespace qb::test
