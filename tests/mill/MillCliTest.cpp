#include "support/StoreFixture.h"

#include <QProcess>
#include <QTemporaryDir>

namespace qb::test {
namespace {

class MillCliTest : public StoreFixture {
protected:
    // Runs "quillbox-cli --dir STORE mill ARGS" from the directory `from` with text on stdin.
    int mill(const QString& from, const QStringList& args, const QString& text, QString* out)
    {
        QProcess p;
        p.setWorkingDirectory(from);
        p.start(cliPath(),
                QStringList{QStringLiteral("--dir"), dir(), QStringLiteral("mill")} + args);
        p.write(text.toUtf8());
        p.closeWriteChannel();
        if (!p.waitForFinished(120000)) return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    }
};

TEST_F(MillCliTest, OrdersStandardInputWithFormsMarkedAndTheCallersExclusionFile)
{
    addWord(1, QStringLiteral("go"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('went', 1)"));
    QTemporaryDir caller;
    QFile list(caller.filePath(QStringLiteral("skip.txt")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("the to\n");
    list.close();
    QString out;
    EXPECT_EQ(mill(caller.path(),
                   {QStringLiteral("--order"), QStringLiteral("--exclude-file"),
                    QStringLiteral("skip.txt")},
                   QStringLiteral("Went to the Store, went home; 2nd Ελλάδα"), &out),
              0);
    EXPECT_EQ(out, QStringLiteral("home\t1\nnd\t1\nstore\t1\nwent\t2\tINFLEC\nελλάδα\t1\n"));
    EXPECT_EQ(mill(caller.path(), {}, QStringLiteral("B a"), &out), 0);
    EXPECT_EQ(out, QStringLiteral("b\na\n"));
    EXPECT_EQ(mill(caller.path(), {QStringLiteral("--order"), QStringLiteral("--shuffle")},
                   QString(), &out),
              2);
}

}  // namespace
}  // namespace qb::test
