#include "floor/RunContext.h"
#include "interchange/XmlExport.h"
#include "interchange/XmlImport.h"
#include "store/Timestamps.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <sys/stat.h>

namespace qb::test {
namespace {

class XmlTest : public StoreFixture {
protected:
    void put(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    int count(const char* table)
    {
        return scalar(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)).toInt();
    }
    QString itemText(Timestamp id)
    {
        return rows(QStringLiteral("SELECT TX FROM ITEM WHERE abs(IT - %1) < 1e-9")
                        .arg(double(id), 0, 'g', 17))
            .value(0);
    }
};

// What a standard parser makes of the item texts of a file.
QStringList parsedTexts(const QString& file, QString* error)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&f);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"ItemText")
            texts << xml.readElementText();
    *error = xml.hasError() ? xml.errorString() : QString();
    return texts;
}

TEST_F(XmlTest, TextsSurviveAStandardParserAndOurReaderInEveryDeclaredEncoding)
{
    const QString text =
        QStringLiteral("Текст\uFEFF ]]> a]]]>b \"q\" <b>&amp; café 😀\r\nwindows\rlone\nunix ]]");
    const QString injected = QStringLiteral("x\" or 1=1 --");
    const mode_t oldMask = ::umask(022);
    addWord(1, QStringLiteral("привет"));
    addWord(2, injected);
    const Timestamp conceptId = addConcept(-46000.5, {1, 2});
    const XmlItem item{text, {{injected, conceptId}}};
    for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>",
                                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                    "<?xml version='1.0' encoding='us-ascii'?>"}) {
        SCOPED_TRACE(declaration);
        runContext().settings.xmlCharSet = QString::fromLatin1(declaration);
        const QString file = ExportItemsAsXml({item, XmlItem{QString(), {}}});
        ASSERT_FALSE(file.isEmpty());
        EXPECT_TRUE(messenger.saw(QStringLiteral("XML-encoded to file")));
        // Readable by the receiving installation's user, as any file we make (umask 022 here).
        EXPECT_TRUE(QFile::permissions(file) & QFileDevice::ReadOther);
        QString error;
        EXPECT_EQ(parsedTexts(file, &error), (QStringList{text, QString()}));
        EXPECT_EQ(error, QString());
        ASSERT_TRUE(QFile::rename(file, path(QStringLiteral("in.xml"))));
        const XmlImportResult result = ImportXmlFile(path(QStringLiteral("in.xml")));
        ASSERT_EQ(result.outcome, XmlImportResult::Outcome::Imported)
            << result.problem.toStdString();
        ASSERT_EQ(result.items.size(), 2u);
        EXPECT_EQ(itemText(result.items[0]), text);
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("in.xml"))));
        // The words were found literally and the concept is the stored one.
        EXPECT_EQ(
            rows(QStringLiteral("SELECT WNo || ' ' || ITC FROM ITEMKEYS WHERE abs(IT - %1) < 1e-9")
                     .arg(double(result.items[0]), 0, 'g', 17)),
            QStringList{QStringLiteral("2 -46000.5")});
    }
    ::umask(oldMask);
    EXPECT_EQ(count("WORD"), 2);
    EXPECT_EQ(count("DICT"), 2);
    // Numbered names: the three exports took 001 each after the rename; a taken number is passed.
    put(QStringLiteral("XML/QB_DESKTOP_ITEMS_001.xml"), "taken");
    EXPECT_TRUE(ExportItemsAsXml({item}).endsWith(QStringLiteral("/XML/QB_DESKTOP_ITEMS_002.xml")));
    messenger.expectAny();
}

TEST_F(XmlTest, OlderFilesFormsSupersetsAndLongFilesImportWhole)
{
    addWord(1, QStringLiteral("go"));
    addWord(2, QStringLiteral("run"));
    addWord(3, QStringLiteral("walk"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('went', 1)"));
    const Timestamp larger = addConcept(-46000.25, {1, 2, 3});
    // As an older installation wrote it: a break first, Latin-1 bytes, one CDATA section, an
    // unescaped "&".
    put(QStringLiteral("old.xml"),
        QString::fromUtf8("\r\n<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<QuillboxText "
                          "SaveDate= \"1.1.2001\"> \r\n<item> \r\n<Concept  SelectWord= \"Went\"  "
                          "><Word StringValue= \"go\" /><Word StringValue= \"run\" /></Concept>"
                          "<ItemText><![CDATA[café <x> \"q\"\r\nend]]></ItemText> \r\n</item>\r\n"
                          "<Word StringValue= \"AT&T\" />\r\n</QuillboxText> ")
            .toLatin1());
    XmlImportResult r = ImportXmlFile(path(QStringLiteral("old.xml")));
    ASSERT_EQ(r.outcome, XmlImportResult::Outcome::Imported) << r.problem.toStdString();
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(itemText(r.items[0]), QStringLiteral("café <x> \"q\"\nend"));
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo || ' ' || ITC FROM ITEMKEYS")),
              QStringList{QStringLiteral("1 %1").arg(double(larger), 0, 'g', 17)});
    EXPECT_EQ(count("DICT"), 3);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD WHERE WNo > 3")),
              QStringList{QStringLiteral("at&t")});

    // A concept the file made stands for a later element of the same file; of two supersets the
    // lower id stands.
    const Timestamp lower = addConcept(-46000.75, {1, 2});
    const QByteArray twice =
        "<item><Concept SelectWord= \"new\"><Word StringValue= \"new\" />"
        "<Word StringValue= \"go\" /></Concept><ItemText>x</ItemText></item>";
    put(QStringLiteral("same.xml"), "<?xml version=\"1.0\"?><QuillboxText>" + twice + twice +
                                        "<item><Concept SelectWord= \"go\"><Word StringValue= "
                                        "\"run\" /><Word StringValue= \"go\" /></Concept>"
                                        "<ItemText>y</ItemText></item></QuillboxText>");
    r = ImportXmlFile(path(QStringLiteral("same.xml")));
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(count("DICT"), 7);
    EXPECT_EQ(rows(QStringLiteral("SELECT count(DISTINCT ITC) FROM ITEMKEYS WHERE WNo > 4")),
              QStringList{QStringLiteral("1")});
    EXPECT_EQ(
        rows(QStringLiteral("SELECT WNo || ' ' || ITC FROM ITEMKEYS WHERE abs(IT - %1) < 1e-9")
                 .arg(double(r.items[2]), 0, 'g', 17)),
        QStringList{QStringLiteral("1 %1").arg(double(lower), 0, 'g', 17)});

    QByteArray many = "<?xml version=\"1.0\"?><QuillboxText>";
    for (int i = 0; i < 1200; ++i)
        many += "<Word StringValue= \"w" + QByteArray::number(i) + "\" />";
    put(QStringLiteral("many.xml"), many + "</QuillboxText>");
    r = ImportXmlFile(path(QStringLiteral("many.xml")));
    EXPECT_EQ(r.words, 1200);
    EXPECT_EQ(count("WORD"), 1205);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("many.xml"))));
}

TEST_F(XmlTest, HostileFilesChangeNothingAndAreSetAside)
{
    const QByteArray early = "<?xml version=\"1.0\"?><QuillboxText><Word StringValue= \"early\" />";
    // Each file with the reason the problem log gives.
    const std::vector<std::tuple<QString, QByteArray, QString>> files = {
        {"deep.xml", early + "<item><Concept><Word><Word/></Word></Concept></item></QuillboxText>",
         "nested too deeply"},
        {"cdata.xml", early + "<item><ItemText><![CDATA[abc</ItemText></item></QuillboxText>",
         "unterminated CDATA"},
        {"binary.xml", early + QByteArray("<Word StringValue= \"a\0b\" /></QuillboxText>", 42),
         "binary data"},
        {"bomb.xml",
         "<?xml version=\"1.0\"?><!DOCTYPE q [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
         "<QuillboxText><Word StringValue= \"&b;\" /></QuillboxText>",
         "document type"},
        {"cut.xml", early + "<item><ItemText><![CDATA[abc]]></ItemT", "unterminated element"},
        {"long.xml", early + "<item><ItemText>" + QByteArray(32001, 'x') + "</ItemText></item>",
         "longer than 32000"},
        {"mismatch.xml", early + "<item><ItemText>a</Item></ItemText></item></QuillboxText>",
         "does not close"},
        {"unknown.xml", early + "<Picture/></QuillboxText>", "unknown element"},
        {"huge.xml", early, "larger than 64 MB"},
    };
    for (const auto& [name, bytes, why] : files) {
        SCOPED_TRACE(name.toStdString());
        put(name, bytes);
        if (name == QLatin1String("huge.xml")) QFile(path(name)).resize(100LL << 20);
        const XmlImportResult r = ImportXmlFile(path(name));
        EXPECT_EQ(r.outcome, XmlImportResult::Outcome::SetAside);
        EXPECT_TRUE(QFile::exists(path(name + QStringLiteral(".bad"))));
        EXPECT_FALSE(QFile::exists(path(name)));
        QFile log(path(QStringLiteral("problems.txt")));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromUtf8(log.readAll());
        EXPECT_TRUE(logged.contains(name + QStringLiteral(" set aside as ") + name +
                                    QStringLiteral(".bad: ")));
        EXPECT_TRUE(logged.contains(why)) << logged.toStdString();
    }
    EXPECT_EQ(count("WORD"), 0);
}

TEST_F(XmlTest, ImportedItemsClaimFreeIdsAndAFailedFileIsKeptWhole)
{
    clock.set(QDateTime(QDate(2026, 3, 4), QTime(10, 20, 30)));
    const Timestamp first = TimestampGenerator::baseOf(clock.now());
    // Another program stored an item at the id the second imported item would take.
    const Timestamp theirs =
        addItem(first - TimestampGenerator::kCounterStep, QStringLiteral("theirs"));
    put(QStringLiteral("ok.xml"),
        "<?xml version=\"1.0\"?><QuillboxText><item><ItemText>a</ItemText>"
        "</item><item><ItemText>b</ItemText></item></QuillboxText>");
    XmlImportResult r = ImportXmlFile(path(QStringLiteral("ok.xml")));
    ASSERT_EQ(r.outcome, XmlImportResult::Outcome::Imported) << r.problem.toStdString();
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(itemText(theirs), QStringLiteral("theirs"));
    EXPECT_EQ(itemText(r.items[0]), QStringLiteral("a"));
    EXPECT_EQ(itemText(r.items[1]), QStringLiteral("b"));
    EXPECT_EQ(count("ITEM"), 3);

    // A store failure half way: nothing of the file stays, and the file waits for the next try.
    put(QStringLiteral("in.xml"),
        "<?xml version=\"1.0\"?><QuillboxText><Word StringValue= \"fresh\" />"
        "<item><ItemText>c</ItemText></item><item><ItemText>boom"
        "</ItemText></item></QuillboxText>");
    exec(
        QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON ITEM WHEN NEW.TX = 'boom' "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    r = ImportXmlFile(path(QStringLiteral("in.xml")));
    EXPECT_EQ(r.outcome, XmlImportResult::Outcome::Failed);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("in.xml"))));
    EXPECT_EQ(count("ITEM"), 3);
    EXPECT_EQ(count("WORD"), 0);
    exec(QStringLiteral("DROP TRIGGER boom"));
    EXPECT_EQ(ImportXmlFile(path(QStringLiteral("in.xml"))).outcome,
              XmlImportResult::Outcome::Imported);
    EXPECT_EQ(count("ITEM"), 5);
    EXPECT_EQ(count("WORD"), 1);
}

}  // namespace
}  // namespace qb::test
