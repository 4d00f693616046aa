#include "DictionaryFixture.h"
#include "desktop/FakeCardHost.h"

#include "dictionary/Concepts.h"
#include "dictionary/ExplodeMode.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

constexpr double kCard = -46000.1;       // the card whose words are merged: car, auto
constexpr double kVehicle = -46000.2;    // auto, vehicle
constexpr double kMotor = -46000.3;      // car, auto, motor
constexpr double kWagonLate = -46000.4;  // auto, wagon: the same as the next one after the merge
constexpr double kWagon = -46000.5;      // car, wagon (earlier in key order)

}  // namespace

class Concepts : public test::DictionaryFixture {
protected:
    void buildCarAndAuto()
    {
        addWords({QStringLiteral("car"), QStringLiteral("auto"), QStringLiteral("vehicle"),
                  QStringLiteral("motor"), QStringLiteral("wagon")});
        addConcept(kCard, {1, 2});
        addConcept(kVehicle, {2, 3});
        addConcept(kMotor, {1, 2, 4});
        addConcept(kWagonLate, {2, 5});
        addConcept(kWagon, {1, 5});
        addKeyword(-46100.1, 1, kCard, 2);
        addKeyword(-46100.1, 2, kVehicle, 3);
        addKeyword(-46100.2, 1, kWagonLate, 2);
        addKeyword(-46100.2, 2, kWagon, 1);
        addKeyword(-46100.3, 1, kMotor, 2);
        addKeyword(-46100.3, 2, kMotor, 4);
        // A desktop with a concept card and a dictionary window on it.
        host.addConcept(kCard);
        dictionaryWindow = &host.addKind(CardKind::Dictionary);
        setCardHost(&host);
    }
    void TearDown() override
    {
        setCardHost(nullptr);
        DictionaryFixture::TearDown();
    }
    QStringList dict() { return rows(QStringLiteral("SELECT C, WNo FROM DICT ORDER BY C, WNo")); }
    QStringList keys()
    {
        return rows(
            QStringLiteral("SELECT IT, \"Order\", ITC, WNo FROM ITEMKEYS ORDER BY IT, \"Order\""));
    }
    static QString row(double a, double b)
    {
        return QString::number(a, 'g', QLocale::FloatingPointShortest) + QLatin1Char('|') +
               QString::number(b, 'g', QLocale::FloatingPointShortest);
    }
    static QString key(double it, int order, double itc, int wno)
    {
        return QStringLiteral("%1|%2|%3|%4")
            .arg(QString::number(it, 'g', QLocale::FloatingPointShortest))
            .arg(order)
            .arg(QString::number(itc, 'g', QLocale::FloatingPointShortest))
            .arg(wno);
    }
    static CollapseList carAndAuto()
    {
        return {{QStringLiteral("car"), 1}, {QStringLiteral("auto"), 2}};
    }

    test::FakeCardHost host;
    CardData* dictionaryWindow = nullptr;
};

TEST_F(Concepts, ConceptsOfAWordAreNoneOneOrSeveral)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto"), QStringLiteral("bus")});
    addConcept(-46000.5, {1, 2});
    addConcept(-46000.7, {1, 3});
    ConceptsOfWordResult none = ConceptsOfWord(99);
    EXPECT_EQ(none.kind, 0);
    EXPECT_TRUE(none.list.empty());
    ConceptsOfWordResult one = ConceptsOfWord(2);
    EXPECT_EQ(one.kind, 1);
    EXPECT_DOUBLE_EQ(double(one.conceptId), -46000.5);
    ASSERT_EQ(one.list.size(), 1u);
    EXPECT_EQ(one.list[0].line, QStringLiteral("car, auto"));
    ConceptsOfWordResult two = ConceptsOfWord(1);
    EXPECT_EQ(two.kind, 2);
    ASSERT_EQ(two.list.size(), 2u);
    EXPECT_EQ(two.list[0].line, QStringLiteral("car, bus"));
    EXPECT_DOUBLE_EQ(double(two.list[1].conceptId), -46000.5);

    // More than 24 concepts still give the whole list.
    for (int i = 0; i < 30; ++i) addConcept(-45000.0 - i, {3});
    EXPECT_EQ(ConceptsOfWord(3).list.size(), 31u);
}

TEST_F(Concepts, MergingAutoIntoCarRelinksFoldsAndCleansUp)
{
    messenger.expect(QStringLiteral("Ok to relink all words in the window to: car"));
    messenger.expect(
        QStringLiteral("Merge done; Do you want to add the collapsed word(s) to inflections"));
    buildCarAndAuto();
    MergeResult result = MergeConceptWords(carAndAuto(), kCard);
    ASSERT_TRUE(result.done);
    EXPECT_EQ(messenger.shown[0].request.message,
              QStringLiteral("Ok to relink all words in the window to: car"));
    EXPECT_EQ(WordNumberOf(QStringLiteral("auto")), -1);
    EXPECT_EQ(dict(), (QStringList{row(kWagon, 1), row(kWagon, 5), row(kMotor, 1), row(kMotor, 4),
                                   row(kVehicle, 1), row(kVehicle, 3), row(kCard, 1)}));
    // Item 2 carried the two wagon concepts, now one; item 3 carried the motor concept twice.
    EXPECT_EQ(keys(), (QStringList{key(-46100.3, 1, kMotor, 1), key(-46100.2, 1, kWagon, 1),
                                   key(-46100.1, 1, kCard, 1), key(-46100.1, 2, kVehicle, 3)}));
    EXPECT_EQ(result.conceptsFolded, 1);
    EXPECT_EQ(result.linksRemoved, 2);
    // Cleared as by "Clear all": the concept card went, the dictionary window stayed.
    EXPECT_EQ(host.allCleared, 1);
    ASSERT_EQ(host.owned.size(), 1u);
    EXPECT_EQ(host.owned[0].get(), dictionaryWindow);
    EXPECT_FALSE(dictionaryWindow->hidden);

    // Yes (the default) to the second question: the old text now leads to car.
    EXPECT_TRUE(result.formsAdded);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC WHERE Word = 'auto' ORDER BY WNo")),
              (QStringList{QStringLiteral("auto|1"), QStringLiteral("auto|2")}));
}

TEST_F(Concepts, NoToTheInflectionQuestionLeavesInflecAndNoToTheFirstLeavesAll)
{
    buildCarAndAuto();
    QStringList inflec = rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY Word, WNo"));
    QStringList before = dict() + keys() + rows(QStringLiteral("SELECT Word FROM WORD"));

    messenger.answer(MessageButton::No);
    EXPECT_FALSE(MergeConceptWords(carAndAuto(), kCard).done);
    EXPECT_EQ(dict() + keys() + rows(QStringLiteral("SELECT Word FROM WORD")), before);
    EXPECT_EQ(host.allCleared, 0);

    messenger.answer(MessageButton::Yes);
    messenger.answer(MessageButton::No);
    MergeResult result = MergeConceptWords(carAndAuto(), kCard);
    EXPECT_TRUE(result.done);
    EXPECT_FALSE(result.formsAdded);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC ORDER BY Word, WNo")), inflec);
}

TEST_F(Concepts, MergingACardWithOneWordChangesNoWord)
{
    messenger.expect(QStringLiteral("Ok to relink all words in the window to: vehicle"));
    messenger.expect(
        QStringLiteral("Merge done; Do you want to add the collapsed word(s) to inflections"));
    buildCarAndAuto();
    QStringList words = rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo"));
    ConceptCardData card;
    card.conceptId = kVehicle;
    card.words = {{3, QStringLiteral("vehicle")}};
    CollapseList list = CollapseListOf(card, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(MergeConceptWords(list, kVehicle).done);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM WORD ORDER BY WNo")), words);
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT WHERE C = -46000.2 ORDER BY WNo")),
              (QStringList{QStringLiteral("2"), QStringLiteral("3")}));

    ConceptCardData three;
    three.words = {{1, QStringLiteral("a")}, {2, QStringLiteral("b")}, {3, QStringLiteral("c")}};
    CollapseList order = CollapseListOf(three, 1);
    EXPECT_EQ(order[0].wordNo, 2);
    EXPECT_EQ(order[1].wordNo, 1);
    EXPECT_EQ(order[2].wordNo, 3);
}

TEST_F(Concepts, AMergeThatCannotBeCommittedLeavesTheStoreAsItWas)
{
    messenger.expect(QStringLiteral("Ok to relink all words in the window to: car"));
    buildCarAndAuto();
    QStringList before = dict() + keys() + rows(QStringLiteral("SELECT Word FROM WORD"));
    // Another program reading ITEMKEYS.DB keeps the merge from committing.
    sql::Database reader;
    ASSERT_TRUE(reader.open(path(QStringLiteral("ITEMKEYS.DB")), false));
    ASSERT_TRUE(reader.exec(QStringLiteral("BEGIN")));
    sql::Statement hold(reader, QStringLiteral("SELECT count(*) FROM ITEMKEYS"));
    ASSERT_TRUE(hold.next());

    EXPECT_FALSE(MergeConceptWords(carAndAuto(), kCard).done);
    hold.reset();
    reader.exec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(dict() + keys() + rows(QStringLiteral("SELECT Word FROM WORD")), before);
    EXPECT_EQ(host.allCleared, 0);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Merge failed")));
}

TEST_F(Concepts, NewConceptCardsTakeAnIdAColourAndThePlace)
{
    int commits = 0;
    session().hooks.updateItems = [&] { ++commits; };
    SeedConceptColors(42);
    std::optional<ConceptCardData> blank = CreateBlankConcept();
    ASSERT_TRUE(blank);
    EXPECT_EQ(commits, 1);
    EXPECT_LT(blank->conceptId, 0);
    EXPECT_EQ(blank->pos, QPoint(session().settings.createSpotSX, session().settings.createSpotSY));
    EXPECT_EQ(blank->size,
              QSize(session().settings.synWheelWidth, session().settings.synWheelHeight));
    EXPECT_TRUE(blank->changed);
    EXPECT_TRUE(blank->isEmpty());
    EXPECT_EQ(currentConceptColor(), blank->color);

    std::optional<ConceptCardData> withWord =
        NewConcept({true, 300, 200, QStringLiteral("car"), 7});
    ASSERT_TRUE(withWord);
    EXPECT_LT(withWord->conceptId, blank->conceptId);  // a later id
    EXPECT_EQ(withWord->pos, QPoint(300, 200));
    ASSERT_EQ(withWord->words.size(), 1u);
    EXPECT_EQ(withWord->words[0].wordNo, 7);

    // The colours come from the seeded source, inside the range, the same after the same seed.
    SeedConceptColors(42);
    EXPECT_EQ(GetNewConceptColor(), blank->color);
    EXPECT_EQ(GetNewConceptColor(), withWord->color);
    for (int i = 0; i < 1000; ++i) {
        int c = GetNewConceptColor();
        ASSERT_GE(c, 0);
        ASSERT_LE(c, 16777214);
    }

    dictionaryHooks().placeConceptCard = [](ConceptCardData&) { return false; };
    EXPECT_FALSE(NewConcept({}));
}

TEST_F(Concepts, ClearingConceptsSparesMarkedCards)
{
    ConceptCardData a, b;
    b.marked = true;
    EXPECT_EQ(ClearSynWheels({&a, &b}), 1);
    EXPECT_TRUE(a.hidden);
    EXPECT_FALSE(b.hidden);
}

TEST_F(Concepts, ExplodeModeStepsThroughItsThreeValues)
{
    session().settings.itemExpansionOnDrop = 0;
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        ToggleDisplays();
        seen << explodeIndicator().text;
    }
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("MAX"), QStringLiteral("OFF"), QStringLiteral("ON")}));
    EXPECT_EQ(explodeMode(), ExplodeMode::On);

    ExplodePlusKey();
    EXPECT_EQ(explodeMode(), ExplodeMode::Maximum);
    ExplodePlusKey();
    EXPECT_EQ(explodeMode(), ExplodeMode::On);
    ExplodeMinusKey();
    EXPECT_EQ(explodeMode(), ExplodeMode::Off);
    EXPECT_FALSE(explodeItemsFor(1));

    EXPECT_FALSE(SetExplodeMode(5));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Setexplode error")));
    EXPECT_EQ(explodeMode(), ExplodeMode::Off);

    session().settings.plusMinusExplodeSign = true;
    ExplodeIndicator off = explodeIndicator();
    EXPECT_TRUE(off.minusPicture);
    EXPECT_TRUE(off.text.isEmpty());
    SetExplodeMode(0);
    EXPECT_FALSE(explodeIndicator().plusPicture || explodeIndicator().minusPicture);
    EXPECT_TRUE(explodeItemsFor(1));
    EXPECT_FALSE(explodeItemsFor(2));
    SetExplodeMode(1);
    EXPECT_TRUE(explodeIndicator().plusPicture);
    EXPECT_TRUE(explodeItemsFor(2));

    // The mode is what the settings write back.
    ASSERT_TRUE(WriteBackIniFile());
    QString ini;
    ASSERT_TRUE(files::readTextFile(session().iniPath(), &ini));
    EXPECT_TRUE(ini.contains(QStringLiteral("ItemExpansionOnDrop=1")));
}

TEST_F(Concepts, TheMergeOptionIsStoredAtOnce)
{
    EXPECT_FALSE(mergeWordsOption());
    EXPECT_TRUE(ToggleMergeWordsOption());
    EXPECT_TRUE(mergeWordsOption());
    QString ini;
    ASSERT_TRUE(files::readTextFile(session().iniPath(), &ini));
    EXPECT_TRUE(ini.contains(QStringLiteral("MergeWords=1")));
}
