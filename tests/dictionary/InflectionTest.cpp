#include "DictionaryFixture.h"

#include "cards/PlacementCounters.h"
#include "dictionary/InflectionRules.h"
#include "floor/Settings.h"

#include <gtest/gtest.h>

using namespace qb;

class Inflections : public test::DictionaryFixture {};

TEST_F(Inflections, FormsAreAddedAndRemovedWithTheirErrors)
{
    const int dom = addWords({QStringLiteral("Дом")}).front();
    EXPECT_EQ(FormsOfWord(dom), QStringList{QStringLiteral("дом")});

    // Blanks only decide emptiness; the stored form keeps them.
    EXPECT_EQ(AddForm(dom, QStringLiteral(" ДОМА ")), FormChange::Done);
    EXPECT_EQ(AddForm(dom, QStringLiteral("𝔡𝔬𝔪ὰ")), FormChange::Done);
    EXPECT_EQ(AddForm(dom, QStringLiteral("   ")), FormChange::Empty);
    EXPECT_EQ(FormsOfWord(dom), (QStringList{QStringLiteral(" дома "), QStringLiteral("дом"),
                                             QStringLiteral("𝔡𝔬𝔪ὰ")}));

    EXPECT_EQ(AddForm(dom, QStringLiteral("ДОМ")), FormChange::Failed);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Duplicate id - no update")));
    EXPECT_EQ(AddForm(dom, QStringLiteral("a\tb")), FormChange::Refused);
    EXPECT_TRUE(messenger.saw(QStringLiteral("control character")));
    // 38 letters above U+FFFF fit (76 UTF-16 units); a 39th does not.
    QString wide;
    for (int i = 0; i < 38; ++i) wide += QStringLiteral("𝔞");
    EXPECT_EQ(AddForm(dom, wide), FormChange::Done);
    EXPECT_EQ(AddForm(dom, wide + QStringLiteral("𝔞")), FormChange::Refused);
    EXPECT_TRUE(messenger.saw(QStringLiteral("at most 38 characters")));

    EXPECT_EQ(RemoveForm(dom, QStringLiteral("дома")), FormChange::Missing);
    EXPECT_EQ(RemoveForm(dom, QStringLiteral(" дома ")), FormChange::Done);
    EXPECT_EQ(RemoveForm(dom, QStringLiteral("дом")), FormChange::Done);  // the base form too
    EXPECT_EQ(FormsOfWord(dom), (QStringList{wide, QStringLiteral("𝔡𝔬𝔪ὰ")}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM WORD")).toInt(), 1);
}

TEST_F(Inflections, BaseRowIsTheLastRowHoldingTheWord)
{
    const QStringList forms{QStringLiteral("cars"), QStringLiteral("car"), QStringLiteral("carx")};
    EXPECT_EQ(BaseFormRow(forms, QStringLiteral("car")), 1);
    EXPECT_EQ(BaseFormRow(forms, QStringLiteral("auto")), 0);
    EXPECT_EQ(FormRow(forms, QStringLiteral("CARS")), 0);
    EXPECT_EQ(FormRow(forms, QStringLiteral("auto")), -1);
}

TEST_F(Inflections, CascadeStartsAgainBeyondTheAreaAndAtTheResets)
{
    Settings s;
    s.horizontal = 24;
    s.vertical = 28;
    s.popSpotZX = 400;
    s.popSpotZY = 64;
    QPoint& offset = placementCounters().inflections;
    const QSize card(220, 93);
    const QSize area(800, 400);
    std::vector<QPoint> places;
    for (int i = 0; i < 10; ++i) places.push_back(NextInflectionPlace(offset, s, card, area));
    EXPECT_EQ(places[0], QPoint(424, 92));
    EXPECT_EQ(places[1], QPoint(448, 120));
    // The eighth reaches beyond the right edge (592 + 220 > 800): the next starts again.
    EXPECT_EQ(places[7].x(), 592);
    EXPECT_EQ(places[8].x(), 424);
    // Downwards the same: 64 + 28 * 9 + 93 > 400 first for the ninth.
    EXPECT_EQ(places[8].y(), 316);
    EXPECT_EQ(places[9].y(), 92);

    NextInflectionPlace(offset, s, card, area);
    placementCounters().reset();
    EXPECT_EQ(NextInflectionPlace(offset, s, card, area), QPoint(424, 92));
}

TEST_F(Inflections, WindowSizeRulesAndSearchesStopAtEsc)
{
    EXPECT_EQ(InflectionWindowHeight(1), 73);
    EXPECT_EQ(InflectionColumn(1, 220).inPixels, true);
    EXPECT_EQ(InflectionColumn(1, 220).width, 210);
    EXPECT_EQ(InflectionColumn(3, 220).inPixels, false);
    EXPECT_EQ(InflectionColumn(3, 220).width, 23);

    QStringList searched;
    auto search = [&](const QString& form) {
        searched << form;
        return form != QStringLiteral("b");  // Esc during the second search
    };
    EXPECT_EQ(FindFormsInItemTexts({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                                   search),
              2);
    EXPECT_EQ(searched, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(Inflections, CommandLineListsAddsAndRemovesForms)
{
    addWords({QStringLiteral("λόγος")});
    session().store.close();
    auto cli = [this](QStringList args, QString* out = nullptr, QString* err = nullptr) {
        args.prepend(QStringLiteral("word"));
        args.prepend(dir());
        args.prepend(QStringLiteral("--dir"));
        return runCli(args, out, err);
    };
    QString out;
    QString err;
    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("add"), QStringLiteral("ΛΌΓΟΣ"),
                   QStringLiteral("Λόγοι")}),
              0);
    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("add"), QStringLiteral("λόγος"),
                   QStringLiteral("λόγοι")},
                  &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Duplicate id")));
    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("add"), QStringLiteral("logos"),
                   QStringLiteral("x")},
                  &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("not in the dictionary")));
    ASSERT_EQ(cli({QStringLiteral("forms"), QStringLiteral("λόγος")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("λόγοι\nλόγος\n"));

    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("remove"), QStringLiteral("λόγος"),
                   QStringLiteral("λόγοs")},
                  &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("is not a form of")));
    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("remove"), QStringLiteral("λόγος"),
                   QStringLiteral("λόγοι")}),
              0);
    ASSERT_EQ(cli({QStringLiteral("forms"), QStringLiteral("λόγος")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("λόγος\n"));
    EXPECT_EQ(cli({QStringLiteral("form"), QStringLiteral("drop"), QStringLiteral("λόγος"),
                   QStringLiteral("x")}),
              2);
}
