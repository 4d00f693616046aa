#include "ItemsFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class ItemCli : public test::ItemsFixture {};

TEST_F(ItemCli, ShowPrintsTheTextTheKeywordsAndTheProjects)
{
    addWord(7, QStringLiteral("r\u00E9sum\u00E9"));
    addWord(8, QStringLiteral("plan"));
    addProject(QStringLiteral("OLD"), -45000.0L);
    addProject(QStringLiteral("NEW"), -45900.0L);
    const Timestamp id = -46300.0412345L;
    addItem(id, QStringLiteral("first line\n\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \"quoted\""),
            {{-45100.5L, 7}, {-45200.5L, 8}}, {QStringLiteral("OLD"), QStringLiteral("NEW")});
    session().store.close();

    QString out, err;
    // The id as printed, with 15 significant digits.
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"), QStringLiteral("show"),
                      QStringLiteral("-46300.0412345")},
                     &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("item -46300.0412345\n"
                                  "text\n"
                                  "first line\n\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \"quoted\"\n"
                                  "keywords 2\n"
                                  "  r\u00E9sum\u00E9 (word 7, concept -45100.5)\n"
                                  "  plan (word 8, concept -45200.5)\n"
                                  "projects 2\n"
                                  "  NEW\n"
                                  "  OLD\n"));

    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"), QStringLiteral("show"), QStringLiteral("-46300.05")},
                     &out, &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("No item with id")));
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"), QStringLiteral("show"), QStringLiteral("x'; --")},
                     &out, &err),
              2);
    EXPECT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"), QStringLiteral("list")}, &out, &err), 2);
}

}  // namespace
