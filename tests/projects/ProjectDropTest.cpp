#include "PopulateFixture.h"

#include "desktop/DesktopDrop.h"
#include "dictionary/Words.h"
#include "items/ItemCard.h"
#include "projects/ProjectOrder.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

using namespace qb;

namespace {

constexpr Timestamp kRiver = -45002.75;

class ProjectDrop : public test::PopulateFixture {
protected:
    void SetUp() override
    {
        PopulateFixture::SetUp();
        addWord(4, QStringLiteral("river"));
        addConcept(kRiver, {4}, -45050.0);
        addProject(QStringLiteral("GARDEN"), -45300.0);
        session().settings.quiet = true;
    }
    std::vector<double> shownIds() const
    {
        std::vector<double> ids;
        for (TItem* card : itemCards()) ids.push_back(double(card->itemId()));
        return ids;
    }
};

TEST_F(ProjectDrop, ADroppedProjectComesInItsSavedOrderWithItsTextsOnTheClipboard)
{
    addItem(-46000.1, QStringLiteral("first"), {{kRiver, 4}}, {QStringLiteral("GARDEN")}, -46300.1);
    addItem(-46000.2, QStringLiteral("second"), {{kRiver, 4}}, {QStringLiteral("GARDEN")},
            -46300.2);
    // Saved while "second" came first; the items were touched in the other order since.
    exec(
        QStringLiteral("INSERT INTO PRJORDR (Project, IT, ITS) VALUES "
                       "('GARDEN', -46000.1, -46300.1), ('GARDEN', -46000.2, -46300.2)"));
    exec(QStringLiteral("UPDATE ITEM SET ITS = -46400 WHERE IT = -46000.1"));

    ASSERT_TRUE(FormDragDrop(*desktop, project(QStringLiteral("GARDEN")), {100, 100}));
    EXPECT_EQ(shownIds(), (std::vector<double>{-46000.2, -46000.1}));
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.contains(QStringLiteral("\n\nsecond\n\nfirst"))) << text.toStdString();
}

TEST_F(ProjectDrop, ReverseCollectDeskUnlinksTheProjectFromThePlacedItems)
{
    addProject(QStringLiteral("OTHER"), -45301.0);
    addItem(-46000.1, QStringLiteral("first"), {{kRiver, 4}}, {QStringLiteral("GARDEN")});
    addItem(-46000.2, QStringLiteral("second"), {{kRiver, 4}},
            {QStringLiteral("GARDEN"), QStringLiteral("OTHER")});

    EXPECT_EQ(ReverseCollectDesk(*desktop, QStringLiteral("GARDEN")), 2);
    EXPECT_EQ(itemCards().size(), 2u);
    // The cards' project lists show the change at once, and so does the collection back.
    const auto showing = [this](const QString& project) {
        int n = 0;
        for (TItem* card : itemCards())
            n += int(card->urlList()->findItems(project, Qt::MatchExactly).size());
        return n;
    };
    EXPECT_EQ(showing(QStringLiteral("GARDEN")), 0);
    EXPECT_EQ(showing(QStringLiteral("OTHER")), 1);
    messenger.answer(MessageButton::No);  // keep the cards on the desktop
    EXPECT_TRUE(CollectDesk(*desktop, QStringLiteral("GARDEN")));
    EXPECT_EQ(showing(QStringLiteral("GARDEN")), 2);
    EXPECT_EQ(ReverseCollectDesk(*desktop, QStringLiteral("GARDEN")), 2);
    // The links go with the next commit.
    session().hooks.commit();
    EXPECT_EQ(rows(QStringLiteral("SELECT IT, Project FROM ITEMURL ORDER BY IT")),
              QStringList{QStringLiteral("-46000.2|OTHER")});
}

}  // namespace
