#include "support/StoreFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace qb::test {
namespace {

class XmlCliTest : public StoreFixture {
protected:
    // Runs "quillbox-cli --dir STORE xml ARGS" from the caller's directory.
    int xml(const QStringList& args, QString* out = nullptr, QString* err = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(caller.path());
        p.start(cliPath(),
                QStringList{QStringLiteral("--dir"), dir(), QStringLiteral("xml")} + args);
        if (!p.waitForFinished(120000)) return -1;
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err) *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString inCaller(const QString& name) const { return QDir(caller.path()).filePath(name); }
    void seed()
    {
        addWord(1, QStringLiteral("rose"));
        addConcept(-46000.5, {1});
        item = addItem(-46001.5, QStringLiteral("Роза ]]>"), {{-46000.5, 1}});
    }

    QTemporaryDir caller;
    Timestamp item = 0;
};

TEST_F(XmlCliTest, ExportItemsWritesNumberedFilesWhereTheCallerSays)
{
    seed();
    ASSERT_TRUE(QDir(caller.path()).mkdir(QStringLiteral("out")));
    QString out;
    const QString id = QString::number(double(item), 'g', 15);
    EXPECT_EQ(
        xml({QStringLiteral("export-items"), id, QStringLiteral("--to"), QStringLiteral("out")},
            &out),
        0);
    EXPECT_EQ(out, inCaller(QStringLiteral("out/QB_DESKTOP_ITEMS_001.xml")) + u'\n');
    EXPECT_EQ(xml({QStringLiteral("export-items"), id}, &out), 0);
    EXPECT_EQ(out, path(QStringLiteral("XML/QB_DESKTOP_ITEMS_001.xml")) + u'\n');
    EXPECT_EQ(xml({QStringLiteral("export-items"), QStringLiteral("-1.5")}), 1);
}

TEST_F(XmlCliTest, SendWritesOneRecordPerFileIntoTheTargetFolder)
{
    seed();
    ASSERT_TRUE(QDir(caller.path()).mkdir(QStringLiteral("other")));
    const QString to = QStringLiteral("other");
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("word"), QStringLiteral("1"),
                   QStringLiteral("--to"), to}),
              0);
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("word"), QStringLiteral("1"),
                   QStringLiteral("--to"), to}),
              0);
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("concept"), QStringLiteral("-46000.5"),
                   QStringLiteral("--to"), to}),
              0);
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("item"),
                   QString::number(double(item), 'g', 15), QStringLiteral("--to"), to}),
              0);
    EXPECT_EQ(QDir(inCaller(to)).entryList(QDir::Files),
              (QStringList{QStringLiteral("Concept001.xml"), QStringLiteral("Item001.xml"),
                           QStringLiteral("Word001.xml"), QStringLiteral("Word002.xml")}));
    QFile word(inCaller(QStringLiteral("other/Word001.xml")));
    ASSERT_TRUE(word.open(QIODevice::ReadOnly));
    EXPECT_EQ(word.readAll(), QByteArray("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"
                                         "<Word StringValue= \"rose\" />\r\n"));
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("word"), QStringLiteral("7"),
                   QStringLiteral("--to"), to}),
              1);
    EXPECT_EQ(xml({QStringLiteral("send"), QStringLiteral("word"), QStringLiteral("1")}), 2);
}

TEST_F(XmlCliTest, ImportPrintsWhatItTookAndSetsABadFileAside)
{
    QFile good(inCaller(QStringLiteral("in.xml")));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(
        "<?xml version=\"1.0\"?><QuillboxText><Word StringValue= \"Tulip\" /><item><Concept "
        "SelectWord= \"tulip\"><Word StringValue= \"tulip\" /></Concept><ItemText>t"
        "</ItemText></item></QuillboxText>");
    good.close();
    QString out;
    EXPECT_EQ(xml({QStringLiteral("import"), QStringLiteral("in.xml")}, &out), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("words 1\nconcepts 0\nitems 1\nitem -")))
        << out.toStdString();
    EXPECT_FALSE(good.exists());
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD")), QStringList{QStringLiteral("tulip")});

    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write("<item><ItemText>");
    good.close();
    QString err;
    EXPECT_EQ(xml({QStringLiteral("import"), QStringLiteral("in.xml")}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("set aside as in.xml.bad"))) << err.toStdString();
    EXPECT_TRUE(QFile::exists(inCaller(QStringLiteral("in.xml.bad"))));
}

}  // namespace
}  // namespace qb::test
