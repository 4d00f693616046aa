#include "support/StoreFixture.h"

#include "HtmlCheck.h"

#include "session/Session.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class OutlineCli : public test::StoreFixture {
protected:
    int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr)
    {
        return runCli(QStringList{QStringLiteral("--dir"), dir(), QStringLiteral("outline")} + args,
                      out, err);
    }
};

TEST_F(OutlineCli, ShowsTheTreeAndPrintsTheDocument)
{
    addProject(QStringLiteral("LOOSE"), -45000.1L);
    addProject(QStringLiteral("B"), -45000.2L);
    addProject(QStringLiteral("A"), -45000.3L);
    addProject(QStringLiteral("C"), -45000.4L);
    addItem(-46000.1L, QStringLiteral("about c"), {}, {"C"});
    session().store.close();
    const QString file = path(QStringLiteral("plan.qbo"));
    QFile qbo(file);
    ASSERT_TRUE(qbo.open(QIODevice::WriteOnly));
    qbo.write(
        "[OUTLINE]\nSIZE=3\n[OUTLINE ORDER]\n0=A\n1=B\n2=C\n"
        "[OUTLINE MAP]\nA=[PLAN]\nB=[PLAN]\nC=B\n");
    qbo.close();

    QString out, err;
    ASSERT_EQ(cli({QStringLiteral("show"), file}, &out, &err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("[PLAN]\n  A\n  B\n    C\nLOOSE\n"));

    ASSERT_EQ(cli({QStringLiteral("print"), file, QStringLiteral("--html"),
                   QStringLiteral("--from"), QStringLiteral("b")},
                  &out, &err),
              0)
        << err.toStdString();
    EXPECT_EQ(out.trimmed(), QDir(dir()).filePath(QStringLiteral("outltxt/Outline PLAN.htm")));
    QFile document(out.trimmed());
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    const QByteArray html = document.readAll();
    EXPECT_TRUE(html.contains("<H2>1 C</H2>\r\n\r\n<P>about c</P>"));
    EXPECT_FALSE(html.contains("No text"));
    EXPECT_EQ(test::HtmlProblem(QString::fromUtf8(html)), QString());

    EXPECT_EQ(cli({QStringLiteral("print"), file, QStringLiteral("--from"), QStringLiteral("NONE")},
                  &out, &err),
              1);
    EXPECT_EQ(cli({QStringLiteral("show"), path(QStringLiteral("missing.qbo"))}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("No outline file"))) << err.toStdString();
}

}  // namespace
