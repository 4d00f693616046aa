// Unsaved card edits outlive a kill or a crash through the recovery file, and a termination
// request ends the program without waiting on a question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <utility>

#include "CraftedPictures.h"
#include "ItemsFixture.h"
#include "cards/Desktop.h"
#include "desktop/RecoveryWriter.h"
#include "items/DesktopPicturePanel.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "items/RecoveryFile.h"
#include "shell/MainWindow.h"
#include "shell/TerminationRequests.h"

using namespace qb;

namespace {

constexpr Timestamp kConcept = -45000.25L;

class Recovery : public test::ItemsFixture {
protected:
    void SetUp() override
    {
        ItemsFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        cwd = QDir::currentPath();
        addWord(1, QStringLiteral("apple"));
        addConcept(kConcept, {1});
        addProject(QStringLiteral("GARDEN"), -45100.0L);
    }
    void TearDown() override
    {
        window.reset();
        TerminationRequests::reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        desktoppicture::Reset();
        QDir::setCurrent(cwd);
        ItemsFixture::TearDown();
    }

    // A program start: the window and its first activation.
    void start()
    {
        window = std::make_unique<TBillBoard>();
        window->resize(900, 700);
        window->show();
        QCoreApplication::processEvents();
        if (!window->firstActivationDone()) window->FormActivate();
        QCoreApplication::processEvents();
    }
    // A run that ends without its close (kill, crash, power cut).
    void kill()
    {
        window->recovery()->waitForDisk();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TItem* card(Timestamp id, const QString& text, bool keyed)
    {
        auto data = std::make_unique<ItemCardData>();
        data->itemId = id;
        data->text = text;
        data->pos = {60, 60};
        if (keyed) {
            data->keywords = {{kConcept, 1, QStringLiteral("apple")}};
            data->projects = {QStringLiteral("GARDEN")};
        }
        TDesktop& desktop = *window->desktop();
        // The slot before the card, as the program asks: asked after, it finds the card itself.
        const SlotAnswer slot = desktop.GetItemSlot(data->pos, id, 0);
        auto* item = new TItem(desktop, std::move(data));
        desktop.takeSlot(*item, slot.result);
        item->item().changed = true;
        item->show();
        return item;
    }
    TItem* onDesktop(Timestamp id)
    {
        return qobject_cast<TItem*>(window->desktop()->findCard(CardKind::Item, id));
    }

    QString file() const { return recovery::FilePath(dir()); }
    bool fileThere() const { return QFileInfo::exists(file()); }
    QStringList setAside() const
    {
        return QDir(dir()).entryList({QStringLiteral("recovery-*.qbr")}, QDir::Files);
    }
    QVariant storedText(Timestamp id)
    {
        auto r = rows(QStringLiteral("SELECT TX FROM ITEM WHERE IT = ?1"), {double(id)});
        return r.empty() ? QVariant() : r[0][0];
    }
    void writeFile(const QByteArray& bytes)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray fileOf(const ItemCardData& card) { return recovery::Serialize({&card}); }

    std::unique_ptr<TBillBoard> window;
    QString cwd;
};

TEST_F(Recovery, ATerminationRequestCommitsAKeywordlessCardAndClosesWithoutAQuestion)
{
    start();
    messenger.clear();
    bool closed = false;
    QObject::connect(window.get(), &TBillBoard::closedDown, [&] { closed = true; });
    card(-46000.5L, QStringLiteral("typed before the logout"), false);

    TerminationRequests::terminate(*window);

    EXPECT_TRUE(closed);
    EXPECT_EQ(messenger.count(), 0) << messenger.texts().join(" | ").toStdString();
    EXPECT_EQ(storedText(-46000.5L).toString(), QStringLiteral("typed before the logout"));
    EXPECT_FALSE(fileThere()) << "nothing is left unsaved";
}

TEST_F(Recovery, TypedTextAndKeywordsComeBackAfterAKillAndCtrlSStoresThem)
{
    start();
    TItem* item = card(-46001.5L, QStringLiteral("first"), true);
    item->item().changed = false;
    // Typing into the card, then a pause: the file follows without any command.
    QWidget* editor = item->textEditor();
    editor->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(editor, &key);
    ASSERT_TRUE(item->item().changed);
    const QString typed = item->item().text;
    QDeadlineTimer deadline(3000);
    while (!fileThere() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        window->recovery()->waitForDisk();
    }
    ASSERT_TRUE(fileThere()) << "written within the pause after typing";
    kill();

    messenger.answer(MessageButton::Yes);
    start();
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.kind, kQuestionYes);
    EXPECT_TRUE(messenger.saw(QStringLiteral("1 unsaved card edit was found")));
    TItem* back = onDesktop(-46001.5L);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->item().changed);
    EXPECT_EQ(back->item().text, typed);
    ASSERT_EQ(back->item().keyCount(), 1);
    EXPECT_EQ(back->item().keywords[0].word, QStringLiteral("apple"));
    EXPECT_EQ(back->item().projects, QStringList{QStringLiteral("GARDEN")});

    UpdateItems();
    window->recovery()->waitForDisk();
    EXPECT_EQ(storedText(-46001.5L).toString(), typed);
    EXPECT_EQ(
        rows(QStringLiteral("SELECT WNo FROM ITEMKEYS WHERE IT = ?1"), {double(-46001.5L)}).size(),
        1u);
    EXPECT_FALSE(fileThere()) << "gone after the commit";
}

TEST_F(Recovery, ARecoveredCardShowsItsTextOverAChangedRecordAndADeletedItemComesBackAsNew)
{
    addItem(-46002.5L, QStringLiteral("changed by another writer"), {{kConcept, 1}});
    ItemCardData kept;
    kept.itemId = -46002.5L;
    kept.text = QStringLiteral("recovered text");
    kept.keywords = {{kConcept, 1, QStringLiteral("apple")}};
    ItemCardData gone;
    gone.itemId = -46003.5L;  // deleted from the store meanwhile
    gone.text = QStringLiteral("of a deleted item");
    gone.pos = {300, 300};
    ItemCardData fresh;  // never committed; another program stored an item under its id since
    fresh.itemId = -46009.5L;
    fresh.unsaved = true;
    fresh.text = QStringLiteral("never committed");
    fresh.pos = {500, 500};
    writeFile(recovery::Serialize({&kept, &gone, &fresh}));
    addItem(-46009.5L, QStringLiteral("the other program's item"), {{kConcept, 1}});

    messenger.answer(MessageButton::Yes);
    start();
    ASSERT_TRUE(onDesktop(-46002.5L));
    ASSERT_TRUE(onDesktop(-46003.5L));
    EXPECT_EQ(onDesktop(-46002.5L)->item().text, QStringLiteral("recovered text"));
    EXPECT_EQ(storedText(-46002.5L).toString(), QStringLiteral("changed by another writer"))
        << "the stored record stays until the user commits";

    UpdateItems();
    EXPECT_EQ(storedText(-46002.5L).toString(), QStringLiteral("recovered text"));
    EXPECT_EQ(storedText(-46003.5L).toString(), QStringLiteral("of a deleted item"));
    EXPECT_EQ(storedText(-46009.5L).toString(), QStringLiteral("the other program's item"));
    EXPECT_EQ(rows(QStringLiteral("SELECT IT FROM ITEM WHERE TX = 'never committed'")).size(), 1u);
}

TEST_F(Recovery, NoKeepsTheFileAsideAndSaysWhere)
{
    ItemCardData kept;
    kept.itemId = -46004.5L;
    kept.text = QStringLiteral("not wanted now");
    writeFile(fileOf(kept));

    messenger.answer(MessageButton::No);
    start();
    EXPECT_FALSE(onDesktop(-46004.5L));
    EXPECT_FALSE(fileThere());
    ASSERT_EQ(setAside().size(), 1);
    EXPECT_TRUE(messenger.saw(setAside()[0]));
    QFile asideFile(QDir(dir()).filePath(setAside()[0]));
    ASSERT_TRUE(asideFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(recovery::Parse(asideFile.readAll()).ok()) << "kept whole";
}

// A logout while the start asks: the program ends and the next start asks again.
TEST_F(Recovery, ATerminationRequestDuringTheQuestionLeavesTheFileForTheNextStart)
{
    ItemCardData kept;
    kept.itemId = -46008.5L;
    kept.text = QStringLiteral("still wanted");
    writeFile(fileOf(kept));
    struct EndingMessenger : test::ScriptedMessenger {
        std::function<void()> onQuestion;
        MessageReply showInfo(const MessageRequest& request) override
        {
            if (onQuestion) std::exchange(onQuestion, nullptr)();
            return ScriptedMessenger::showInfo(request);
        }
    } ending;
    ending.onQuestion = [&] { TerminationRequests::terminate(*window); };
    session().setMessenger(&ending);
    start();
    EXPECT_TRUE(fileThere());
    EXPECT_TRUE(setAside().isEmpty());
    EXPECT_FALSE(onDesktop(-46008.5L));
    window.reset();
    TerminationRequests::reset();
    session().setMessenger(&messenger);
}

TEST_F(Recovery, ATruncatedOrForeignFileIsReportedAndSetAsideAndTheStartGoesOn)
{
    messenger.expect(QStringLiteral("The file of unsaved card edits is unreadable"));
    ItemCardData kept;
    kept.itemId = -46005.5L;
    kept.text = QStringLiteral("half a file");
    const QByteArray whole = fileOf(kept);
    for (const QByteArray& bytes :
         {whole.left(whole.size() / 2), QByteArray("[SYSTEM]\nfoo=1\n")}) {
        writeFile(bytes);
        messenger.clear();
        start();
        EXPECT_TRUE(window->firstActivationDone());
        ASSERT_EQ(messenger.count(), 1);
        EXPECT_EQ(messenger.shown[0].request.kind, kError);
        EXPECT_FALSE(onDesktop(-46005.5L));
        EXPECT_FALSE(fileThere());
        window.reset();
        clock.advanceMs(1000);
    }
    EXPECT_EQ(setAside().size(), 2);
}

TEST_F(Recovery, TheFileIsGoneAfterCtrlSAndAfterACleanExit)
{
    start();
    TItem* item = card(-46006.5L, QStringLiteral("saved with Ctrl+S"), true);
    window->recovery()->writeNow();
    window->recovery()->waitForDisk();
    ASSERT_TRUE(fileThere());
    UpdateItems();
    window->recovery()->waitForDisk();
    EXPECT_FALSE(fileThere());

    item->setItemText(QStringLiteral("saved at the exit"));
    item->item().changed = true;
    window->recovery()->writeNow();
    window->recovery()->waitForDisk();
    ASSERT_TRUE(fileThere());
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(fileThere());
    EXPECT_EQ(storedText(-46006.5L).toString(), QStringLiteral("saved at the exit"));
}

TEST_F(Recovery, IdsAndPicturesSurviveTheFileExactly)
{
    ItemCardData card;
    card.itemId = -46007.123456789012345L;
    card.text = QStringLiteral("line one\r\nline \"two\" \\ \t\u0001 \u00e9 \U0001F600");
    card.keywords = {{-45000.000000001L, 7, QStringLiteral("seven")}};
    card.projects = {QStringLiteral("A"), QStringLiteral("B")};
    card.hasPicture = true;
    card.picture = QImage(3, 2, QImage::Format_RGB32);
    card.picture.fill(qRgb(10, 200, 30));
    ConceptCardData wheelCard;
    wheelCard.conceptId = -45000.000000001L;
    wheelCard.words = {{7, QStringLiteral("seven")}};
    recovery::Contents back = recovery::Parse(recovery::Serialize({&card, &wheelCard}));
    ASSERT_TRUE(back.ok()) << back.error.toStdString();
    ASSERT_EQ(back.cards.size(), 2u);
    auto* item = dynamic_cast<ItemCardData*>(back.cards[0].get());
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->itemId == card.itemId);
    EXPECT_EQ(item->text, card.text);
    EXPECT_TRUE(item->keywords[0].conceptId == card.keywords[0].conceptId);
    EXPECT_EQ(item->projects, card.projects);
    ASSERT_TRUE(item->hasPicture);
    EXPECT_EQ(item->picture.convertToFormat(QImage::Format_RGB32), card.picture);
    auto* wheel = dynamic_cast<ConceptCardData*>(back.cards[1].get());
    ASSERT_TRUE(wheel);
    EXPECT_TRUE(wheel->conceptId == wheelCard.conceptId);
    EXPECT_EQ(wheel->words[0].word, QStringLiteral("seven"));
}

TEST(RecoveryFile, PicturesOverTheLimitAreRefusedWhenTheFileIsRead)
{
    ItemCardData card;
    card.itemId = -46008.5L;
    card.text = QStringLiteral("with a picture");
    card.hasPicture = true;
    card.picture = QImage(2, 2, QImage::Format_RGB32);
    card.picture.fill(Qt::white);
    QJsonObject root = QJsonDocument::fromJson(recovery::Serialize({&card})).object();
    QJsonObject item = root[QStringLiteral("cards")].toArray()[0].toObject();
    item[QStringLiteral("picture")] =
        QString::fromLatin1(test::crafted::blackPng(5000, 5000).toBase64());
    root[QStringLiteral("cards")] = QJsonArray{item, item, item};
    const recovery::Contents contents = recovery::Parse(QJsonDocument(root).toJson());
    EXPECT_FALSE(contents.ok());
    EXPECT_TRUE(contents.cards.empty());
    EXPECT_EQ(contents.error, QStringLiteral("a card's picture was refused: 5000 x 5000 pixels, "
                                             "more than 1000000"));
}

}  // namespace
