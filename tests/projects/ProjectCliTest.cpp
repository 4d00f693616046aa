#include "support/StoreFixture.h"

#include "session/Session.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class ProjectCli : public test::StoreFixture {
protected:
    int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr)
    {
        return runCli(QStringList{QStringLiteral("--dir"), dir(), QStringLiteral("project")} + args,
                      out, err);
    }
};

TEST_F(ProjectCli, AddListLinkAndItemsEndToEnd)
{
    addProject(QStringLiteral("OLDER"), -45000.0L);
    addProject(QStringLiteral("NEWER"), -45900.0L);
    addItem(-46000.1L, QStringLiteral("first"), {{-45100.5L, 7}}, {}, -46100.1L);
    addItem(-46000.2L, QStringLiteral("second"), {{-45100.5L, 7}}, {QStringLiteral("ZED 100%")},
            -46100.2L);
    session().store.close();

    QString out, err;
    ASSERT_EQ(cli({QStringLiteral("add"), QStringLiteral("zed 100%"), QStringLiteral("--url"),
                   QStringLiteral("http://z"), QStringLiteral("--tag"), QStringLiteral("it's")},
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("add"), QStringLiteral("Older")}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Duplicate id - no update"))) << err.toStdString();

    ASSERT_EQ(cli({QStringLiteral("list")}, &out), 0);
    EXPECT_EQ(out, QStringLiteral("NEWER\tNONE\t\nOLDER\tNONE\t\nZED 100%\tIT'S\thttp://z\n"));
    ASSERT_EQ(
        cli({QStringLiteral("list"), QStringLiteral("--order"), QStringLiteral("time")}, &out), 0);
    // The new project has the newest (lowest) time stamp.
    EXPECT_EQ(out, QStringLiteral("ZED 100%\tIT'S\thttp://z\nNEWER\tNONE\t\nOLDER\tNONE\t\n"));
    EXPECT_EQ(cli({QStringLiteral("list"), QStringLiteral("--order"), QStringLiteral("size")}), 2);

    // The link goes through the item card's commit: ITEMURL gets it, the item is touched.
    ASSERT_EQ(cli({QStringLiteral("link"), QStringLiteral("-46000.1"), QStringLiteral("zed 100%")},
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(cli({QStringLiteral("link"), QStringLiteral("-46000.1"), QStringLiteral("NONE")},
                  &out, &err),
              1);
    EXPECT_EQ(cli({QStringLiteral("link"), QStringLiteral("-1"), QStringLiteral("OLDER")}), 1);

    // The first items call takes the snapshot: the linked item, touched last, comes first.
    ASSERT_EQ(cli({QStringLiteral("items"), QStringLiteral("zed 100%")}, &out, &err), 0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("-46000.1\n-46000.2\n"));

    // The saved order wins over ITS values changed since.
    ASSERT_TRUE(session().store.open(dir()));
    exec(QStringLiteral("UPDATE ITEM SET ITS = -47000 WHERE IT = -46000.2"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Project FROM ITEMURL WHERE IT = -46000.1")),
              QStringList{QStringLiteral("ZED 100%")});
    session().store.close();
    ASSERT_EQ(cli({QStringLiteral("items"), QStringLiteral("ZED 100%")}, &out, &err), 0);
    EXPECT_EQ(out, QStringLiteral("-46000.1\n-46000.2\n"));
}

TEST_F(ProjectCli, LongNamesLinkWholeControlsAreRefusedAndPathsAreTheCallers)
{
    addItem(-46000.1L, QStringLiteral("item"), {{-45100.5L, 7}});
    session().store.close();
    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80").repeated(38);
    QString out, err;
    ASSERT_EQ(cli({QStringLiteral("add"), emoji}, &out, &err), 0) << err.toStdString();
    ASSERT_EQ(cli({QStringLiteral("add"), QStringLiteral("second")}), 0);
    ASSERT_EQ(cli({QStringLiteral("link"), QStringLiteral("-46000.1"), emoji}, &out, &err), 0)
        << err.toStdString();
    // A later link keeps the first one.
    ASSERT_EQ(cli({QStringLiteral("link"), QStringLiteral("-46000.1"), QStringLiteral("second")}),
              0);

    EXPECT_EQ(cli({QStringLiteral("add"), QStringLiteral("two\nlines")}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("must not contain control characters")))
        << err.toStdString();

    // A relative file named as URL is the caller's.
    const QString caller = path(QStringLiteral("caller"));
    QDir().mkpath(caller);
    const QString before = QDir::currentPath();
    QDir::setCurrent(caller);
    const int added = cli({QStringLiteral("add"), QStringLiteral("notes"), QStringLiteral("--url"),
                           QStringLiteral("n.txt")},
                          &out, &err);
    QDir::setCurrent(before);
    ASSERT_EQ(added, 0) << err.toStdString();

    ASSERT_TRUE(session().store.open(dir()));
    EXPECT_EQ(rows(QStringLiteral("SELECT Project FROM ITEMURL ORDER BY \"Order\"")),
              (QStringList{emoji, QStringLiteral("SECOND")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT URL FROM PROJECT WHERE Project = 'NOTES'")),
              QStringList{QDir(caller).filePath(QStringLiteral("n.txt"))});
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PROJECT")).toInt(), 3);
}

}  // namespace
