#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QTest>

#include "DictionaryUiFixture.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "desktop/PopulateDesktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindow.h"
#include "items/DesktopPicturePanel.h"
#include "items/ShowRecords.h"
#include "platform/Dates.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "store/Timestamps.h"

using namespace qb;

namespace {

class ConceptCard : public test::DictionaryUi {
protected:
    TSynWheel* blankCard()
    {
        window->commands().trigger(QString::fromLatin1(cmd::NewConcept));
        QList<TSynWheel*> cards = conceptCards();
        return cards.isEmpty() ? nullptr : cards.last();
    }
    static DragPayload payload(DragPayload::Source source, int wordNo, const QString& word)
    {
        DragPayload p;
        p.source = source;
        p.wordNo = wordNo;
        p.word = word;
        return p;
    }
    static QStringList listed(TSynWheel* card)
    {
        QStringList out;
        for (int i = 0; i < card->list()->count(); ++i) out << card->list()->item(i)->text();
        return out;
    }
    // What the command panel shows when the card opens it; the panel is closed again.
    QStringList panelOf(TSynWheel* card, QHash<QString, QString>* labels = nullptr,
                        QString* caption = nullptr)
    {
        QStringList shown;
        TMyPopUpMenu::setTestAnswer([&](TMyPopUpMenu& panel) {
            shown = panel.shownRows();
            if (labels)
                for (const QString& row : shown) labels->insert(row, panel.rowLabel(row));
            if (caption) *caption = panel.windowTitle();
        });
        card->openCommandPanel(QPoint(300, 300));
        TMyPopUpMenu::setTestAnswer(nullptr);
        return shown;
    }
    void choose(TSynWheel* card, const QString& command)
    {
        TMyPopUpMenu::setTestAnswer(
            [command](TMyPopUpMenu& panel) { panel.chooseCommand(command); });
        card->openCommandPanel(QPoint(300, 300));
        TMyPopUpMenu::setTestAnswer(nullptr);
    }
};

TEST_F(ConceptCard, DictionaryWordsAndBaseWordsOfFormsAreAddedOtherDropsChangeNothing)
{
    std::vector<int> n = addWords({"car", "automobile", "ship"});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('cars', ?1)"), {n[0]});
    TSynWheel* card = blankCard();
    ASSERT_NE(card, nullptr);
    card->data().changed = false;

    // A real drop onto the list, carried as the drag's data.
    drop(card->list()->viewport(), QPoint(10, 10),
         payload(DragPayload::Source::DictionaryWord, n[1], "automobile"));
    EXPECT_EQ(listed(card), QStringList{"automobile"});
    EXPECT_TRUE(card->data().changed);
    // A form from an inflection window brings its word, not the form.
    card->SWDragDrop(payload(DragPayload::Source::InflectionWord, n[0], "cars"));
    EXPECT_EQ(listed(card), (QStringList{"automobile", "car"}));
    ASSERT_EQ(card->conceptData().words.size(), 2u);
    EXPECT_EQ(card->conceptData().words[1].wordNo, n[0]);

    for (DragPayload::Source other :
         {DragPayload::Source::Project, DragPayload::Source::ItemKeyword,
          DragPayload::Source::Flyword, DragPayload::Source::Concept,
          DragPayload::Source::ItemProject}) {
        EXPECT_EQ(card->SWDragDrop(payload(other, n[2], "ship")), ConceptDropResult::Ignored);
    }
    EXPECT_EQ(listed(card), (QStringList{"automobile", "car"}));

    // Dragging a word out carries the word, its number and the concept.
    DragPayload out = card->dragPayload(1);
    EXPECT_EQ(out.source, DragPayload::Source::ConceptWord);
    EXPECT_EQ(out.wordNo, n[0]);
    EXPECT_EQ(out.word, QStringLiteral("car"));
    EXPECT_TRUE(sameId(out.conceptId, card->conceptData().conceptId, 1e-9L));
    EXPECT_EQ(out.sourceCard, &card->data());

    // The words reach DICT with the commit, not before.
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 0);
    window->commands().trigger(QString::fromLatin1(cmd::UpdateChanges));
    EXPECT_EQ(rows(QStringLiteral(
                  "SELECT w.Word FROM DICT d JOIN WORD w ON w.WNo = d.WNo ORDER BY w.Word")),
              (QStringList{"automobile", "car"}));
}

TEST_F(ConceptCard, TheTwentyThirdDroppedWordIsRefusedAndTheCardKeepsTwentyTwo)
{
    QStringList words;
    for (int i = 1; i <= 23; ++i) words << QStringLiteral("word%1").arg(i);
    std::vector<int> n = addWords(words);
    TSynWheel* card = blankCard();
    ASSERT_NE(card, nullptr);
    for (int i = 0; i < 22; ++i)
        ASSERT_EQ(card->SWDragDrop(payload(DragPayload::Source::DictionaryWord, n[i], words[i])),
                  ConceptDropResult::Added);
    messenger.clear();
    EXPECT_EQ(card->SWDragDrop(payload(DragPayload::Source::DictionaryWord, n[22], words[22])),
              ConceptDropResult::Full);
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Max no of detail objects per main object exceeded s246")));
    EXPECT_EQ(card->list()->count(), 22);
    EXPECT_EQ(card->conceptData().words.size(), 22u);
    window->commands().trigger(QString::fromLatin1(cmd::UpdateChanges));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 22);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT WHERE WNo = %1").arg(n[22])).toInt(),
              0);
}

TEST_F(ConceptCard, PanelOffersMergeOnlyWithTheOptionAndASelectedWord)
{
    std::vector<int> n = addWords({"car", "auto"});
    TSynWheel* card = blankCard();
    ASSERT_NE(card, nullptr);
    card->SWDragDrop(payload(DragPayload::Source::DictionaryWord, n[0], "car"));
    card->list()->clearSelection();
    card->list()->setCurrentRow(-1);

    QString caption;
    EXPECT_EQ(panelOf(card, nullptr, &caption), (QStringList{"Delete", "Drop"}));
    // The concept's id is the time it was made: the fake clock's day.
    const Settings& s = session().settings;
    EXPECT_EQ(caption, QStringLiteral("Concept dated ") +
                           dates::formatDate(clock.now().date(), s.dateFormat, s.dateSeparator));

    card->list()->setCurrentRow(0);
    EXPECT_EQ(panelOf(card), (QStringList{"ClipBoard", "Delete", "Drop"}));
    window->commands().trigger(QString::fromLatin1(cmd::MergeWordsInConcept));
    ASSERT_TRUE(session().settings.mergeWords);
    QHash<QString, QString> labels;
    EXPECT_EQ(panelOf(card, &labels), (QStringList{"ClipBoard", "Delete", "TestWord", "Drop"}));
    EXPECT_EQ(labels.value("TestWord"), QStringLiteral("Merge Words"));
    EXPECT_EQ(labels.value("Delete"), QStringLiteral("&Delete Concept"));

    // Delete: gone from the desktop at once, in DICT until the commit.
    window->commands().trigger(QString::fromLatin1(cmd::UpdateChanges));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 1);
    choose(card, QStringLiteral("Delete"));
    EXPECT_TRUE(card->isHidden());
    EXPECT_TRUE(card->data().deleted);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 1);
    window->commands().trigger(QString::fromLatin1(cmd::UpdateChanges));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 0);
}

TEST_F(ConceptCard, MergeWordsRelinksTheOtherWordsToTheSelectedOne)
{
    std::vector<int> n = addWords({"car", "auto", "vehicle"});
    const int car = n[0], automobile = n[1], vehicle = n[2];
    // Another concept holds auto with vehicle, and an item carries auto through it.
    addConcept(-40000.5, {automobile, vehicle});
    addItem(-40000.1, QStringLiteral("a note"), {{-40000.5, automobile}});
    window->commands().trigger(QString::fromLatin1(cmd::MergeWordsInConcept));
    QPointer<TDict> dictionary = openWindow();
    ASSERT_FALSE(dictionary.isNull());

    TSynWheel* card = blankCard();
    ASSERT_NE(card, nullptr);
    const Timestamp id = card->conceptData().conceptId;
    card->SWDragDrop(payload(DragPayload::Source::DictionaryWord, automobile, "auto"));
    card->SWDragDrop(payload(DragPayload::Source::DictionaryWord, car, "car"));
    card->list()->setCurrentRow(1);        // car stays
    messenger.answer(MessageButton::Yes);  // relink
    messenger.answer(MessageButton::No);   // no forms
    TMyPopUpMenu::setTestAnswer(
        [](TMyPopUpMenu& panel) { panel.chooseCommand(QStringLiteral("TestWord")); });
    card->openCommandPanel(QPoint(300, 300));
    TMyPopUpMenu::setTestAnswer(nullptr);

    EXPECT_TRUE(messenger.saw(QStringLiteral("Ok to relink all words in the window to: car")));
    // The card's words were stored before the merge, so its concept keeps car alone.
    sql::Statement own(session().store.db(),
                       QStringLiteral("SELECT WNo FROM DICT WHERE C > ?1 AND C < ?2"));
    own.bind(1, double(id) - 1e-7).bind(2, double(id) + 1e-7);
    QStringList ownWords;
    while (own.next()) ownWords << QString::number(own.intValue(0));
    EXPECT_EQ(ownWords, QStringList{QString::number(car)});
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM WORD WHERE Word = 'auto'")).toInt(), 0);
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT count(*) FROM DICT WHERE WNo = %1").arg(automobile)).toInt(),
        0);
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM ITEMKEYS")), QStringList{QString::number(car)});
    // The other concept now holds car with vehicle.
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT WHERE C = -40000.5 ORDER BY WNo")),
              (QStringList{QString::number(car), QString::number(vehicle)}));
    EXPECT_EQ(
        scalar(
            QStringLiteral("SELECT count(*) FROM INFLEC WHERE Word = 'auto' AND WNo = %1").arg(car))
            .toInt(),
        0);
    // The merge clears the cards; the dictionary window stays.
    flushDeletes();
    EXPECT_TRUE(conceptCards().isEmpty());
    ASSERT_FALSE(dictionary.isNull());
    EXPECT_TRUE(dictionary->isShown());
}

TEST_F(ConceptCard, AStoredConceptComesUpWithItsWordsNewestFirstAndOnce)
{
    std::vector<int> n = addWords({"old", "newer", "newest"});
    addConcept(-41000.25, {n[0], n[1], n[2]});
    desktop->scrollTo(100, 40);
    SynWheelSetup(*desktop, QPoint(300, 200), -41000.25);
    ASSERT_EQ(conceptCards().size(), 1);
    TSynWheel* card = conceptCards().first();
    // WTS ascending: the word made last comes first.
    EXPECT_EQ(listed(card), (QStringList{"newest", "newer", "old"}));
    EXPECT_EQ(card->visiblePos(), QPoint(300, 200));
    EXPECT_EQ(card->height(), 3 * card->rowHeight() + TSynWheel::kFrameHeight);
    EXPECT_EQ(card->data().normalSize, card->size());
    EXPECT_FALSE(card->data().changed);
    EXPECT_GT(card->data().slot, 0);

    // The same concept again: the card moves, no second one is made.
    SynWheelSetup(*desktop, QPoint(500, 90), -41000.25);
    ASSERT_EQ(conceptCards().size(), 1);
    EXPECT_EQ(conceptCards().first(), card);
    EXPECT_EQ(card->visiblePos(), QPoint(500, 90));

    // A concept without rows is reported and kept off the collection.
    SynWheelSetup(*desktop, QPoint(20, 20), -41001.5);
    ASSERT_EQ(conceptCards().size(), 2);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Nothing found")));
    TSynWheel* empty = conceptCards()[0] == card ? conceptCards()[1] : conceptCards()[0];
    EXPECT_EQ(empty->list()->count(), 0);
    EXPECT_TRUE(empty->data().unfreeable);
}

TEST_F(ConceptCard, AFullConceptTableStopsTheLayoutWithItsMessage)
{
    session().settings.machineIndex = 100;
    const int usable = session().settings.conceptSlotsUsable();
    // Stored concepts, so that each card finds its word.
    const int word = addWords({QStringLiteral("wheel")})[0];
    for (int i = 0; i < usable; ++i) {
        addConcept(-42000.0 - i * 0.001, {word});
        SynWheelSetup(*desktop, QPoint(i, i), -42000.0 - i * 0.001);
    }
    ASSERT_EQ(conceptCards().size(), usable);
    messenger.clear();
    SynWheelSetup(*desktop, QPoint(5, 5), -43000.5);
    EXPECT_EQ(conceptCards().size(), usable);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too many windows on desktop qb1457")));
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Max no of detail objects per main object exceeded qb1576")));
    EXPECT_TRUE(session().flags.abortHeld());
}

TEST_F(ConceptCard, AClipboardPictureIsConnectedAndComesBackWhenTheCardIsEntered)
{
    ASSERT_TRUE(ShowTableUsable());
    TSynWheel* card = blankCard();
    ASSERT_NE(card, nullptr);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("no picture"));
    EXPECT_FALSE(panelOf(card).contains(QStringLiteral("ConnectImage")));

    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    clipboard->setImage(picture);
    QHash<QString, QString> labels;
    EXPECT_EQ(panelOf(card, &labels).last(), QStringLiteral("ConnectImage"));
    choose(card, QStringLiteral("ConnectImage"));
    ShowRecord stored;
    ASSERT_TRUE(ReadShowRecord(ShowKeyOfConcept(card->conceptData().conceptId), &stored));
    EXPECT_TRUE(stored.found);
    EXPECT_FALSE(stored.image.isEmpty());

    desktoppicture::Reset();
    desktoppicture::Hide();
    card->CardEnter();
    EXPECT_TRUE(desktoppicture::Visible());
    EXPECT_EQ(desktoppicture::CurrentImage().size(), picture.size());
    EXPECT_EQ(desktoppicture::CurrentImage().pixelColor(0, 0), QColor(Qt::blue));
}

}  // namespace
