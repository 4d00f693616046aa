#include "support/StoreFixture.h"

#include "HtmlCheck.h"

#include "projects/OutlinePrint.h"
#include "session/Session.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class OutlinePrintTest : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        clock.set(QDateTime(QDate(2026, 3, 4), QTime(10, 20)));
        out = path(QStringLiteral("outltxt"));
        QDir().mkpath(out);
    }

    // The title with A (items) and B (no items), B holding C (items).
    OutlineTree abc()
    {
        addProject(QStringLiteral("A"), -46000.1L);
        addProject(QStringLiteral("B"), -46000.2L);
        addProject(QStringLiteral("C"), -46000.3L);
        addItem(-46100.1L, QStringLiteral("alpha <b>bold</b> Привет"), {}, {"A"});
        addItem(-46100.2L, QStringLiteral("gamma"), {}, {"C"});
        OutlineTree tree;
        const int title = tree.add(QStringLiteral("[IDEAS]"));
        tree.add(QStringLiteral("A"), title);
        const int b = tree.add(QStringLiteral("B"), title);
        tree.add(QStringLiteral("C"), b);
        return tree;
    }

    QByteArray print(const OutlineTree& tree, int node, bool html, bool wash)
    {
        OutlinePrintOptions options;
        options.html = html;
        options.wash = wash;
        options.when = clock.now();
        const QString written = PrintOutlineDocument(
            tree, node, OutlineNamesOf(QStringLiteral("ideas.qbo")), out, options);
        EXPECT_EQ(written, OutlineOutputPath(out, QStringLiteral("ideas"), html));
        QFile file(written);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    static QString cleaned(const QString& itemText, bool html)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        OutlinePrintOptions options;
        options.html = html;
        options.wash = true;
        OutlineDocument document(buffer, options);
        document.WriteItemText(itemText);
        document.writeTail();
        return QString::fromUtf8(buffer.data());
    }

    QString out;
};

TEST_F(OutlinePrintTest, NumbersSectionsBelowTheTitleAsTextAndHtml)
{
    const OutlineTree tree = abc();
    const QString text = QString::fromUtf8(print(tree, tree.title(), false, false));
    EXPECT_TRUE(QFile::exists(QDir(out).filePath(QStringLiteral("Outline IDEAS.txt"))));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[IDEAS]\r\n")));
    const qsizetype a =
        text.indexOf(QStringLiteral("\r\n1 A\r\n===\r\n\r\nalpha <b>bold</b> Привет"));
    const qsizetype b = text.indexOf(
        QStringLiteral("\r\n2 B\r\n===\r\n\r\n\r\n   --- No text in this section ---   \r\n"));
    const qsizetype c = text.indexOf(QStringLiteral("\r\n2.1 C\r\n=====\r\n\r\ngamma\r\n\r\n"));
    EXPECT_TRUE(a > 0 && b > a && c > b) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("[IDEAS]")), 1);  // the title has no section

    // HTML: UTF-8 declared and written; an item's "<" is text, not markup.
    const QByteArray html = print(tree, tree.title(), true, false);
    EXPECT_TRUE(html.contains("charset=utf-8"));
    EXPECT_TRUE(html.contains("<title>[IDEAS]</title>"));
    EXPECT_TRUE(html.contains(
        "<H1>1 A</H1>\r\n\r\n<P>alpha &lt;b&gt;bold&lt;/b&gt; \xd0\x9f\xd1\x80\xd0\xb8"));
    EXPECT_TRUE(html.contains("<H1>2 B</H1>"));
    EXPECT_TRUE(html.contains("<H2>2.1 C</H2>"));
    EXPECT_TRUE(html.endsWith("</body>\r\n</html>\r\n"));
    EXPECT_EQ(test::HtmlProblem(QString::fromUtf8(html)), QString());

    // Printed from B: B itself is numberless and, without items, has no section.
    const QString fromB =
        QString::fromUtf8(print(tree, tree.find(QStringLiteral("B")), false, false));
    EXPECT_FALSE(fromB.contains(QStringLiteral("No text")));
    EXPECT_TRUE(fromB.contains(QStringLiteral("\r\n1 C\r\n===\r\n")));
}

TEST_F(OutlinePrintTest, ATitleWithNoProjectUnderItSaysSo)
{
    messenger.expect(QStringLiteral("No project stands under \"[IDEAS]\""));
    addProject(QStringLiteral("A"), -46000.1L);
    addItem(-46100.1L, QStringLiteral("alpha"), {}, {"A"});
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[IDEAS]"));
    tree.add(QStringLiteral("A"));  // beside the title, not under it
    print(tree, title, false, false);
}

TEST_F(OutlinePrintTest, CleaningDropsLeadingNotesAndEmptyLinesAndJoinsFileParagraphs)
{
    EXPECT_EQ(cleaned(QStringLiteral("[note]  Sentence one.\n\n\n\n\nNext [kept] <part>"), false),
              QStringLiteral("Sentence one.\r\n\r\nNext [kept] &lt;part&gt;\r\n\r\n"));
    EXPECT_EQ(cleaned(QStringLiteral("  [a\nb"), true),
              QStringLiteral("<P>b</P>\r\n\r\n</body>\r\n</html>\r\n"));

    addProject(QStringLiteral("NOTES"), -46000.1L);
    const QString attached = path(QStringLiteral("notes.TXT"));
    QFile file(attached);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Latin-1, as older editors save: each byte is its character.
    file.write("  line one\r\nline  two\r\n\r\n\r\npara caf\xe9\n");
    file.close();
    exec(QStringLiteral("UPDATE PROJECT SET URL = ?1 WHERE Project = 'NOTES'"), {attached});
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[IDEAS]"));
    tree.add(QStringLiteral("NOTES"), title);
    const QString text = QString::fromUtf8(print(tree, title, false, true));
    EXPECT_TRUE(text.contains(QStringLiteral("1 NOTES\r\n=======\r\n\r\n[File = ") + attached +
                              QStringLiteral("]\r\n\r\nline one line two\r\n\r\npara "
                                             "caf\u00e9\r\n\r\n")))
        << text.toStdString();
}

TEST_F(OutlinePrintTest, EveryTextTheProgramPutsIntoHtmlIsEscaped)
{
    const QString script = QStringLiteral("<SCRIPT>ALERT(1)</SCRIPT> & \"Q\"");
    addProject(script, -46000.1L);
    addProject(QStringLiteral("NOTES"), -46000.2L);
    addItem(-46100.1L, QStringLiteral("fish &amp; chips & <i>'x'"), {}, {script});
    const QString attached = path(QStringLiteral("a&b <c>.TXT"));
    QFile file(attached);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x < y & z");
    file.close();
    exec(QStringLiteral("UPDATE PROJECT SET URL = ?1 WHERE Project = 'NOTES'"), {attached});
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[A&B <I>]"));
    tree.add(script, title);
    tree.add(QStringLiteral("NOTES"), title);
    OutlinePrintOptions options;
    options.html = options.wash = true;
    options.author = QStringLiteral("Tom & \"Jerry\" <t@x>");
    options.cssLine = QStringLiteral("<link rel=\"stylesheet\" href=\"a.css?x=1&amp;y=2\">");
    QFile written(PrintOutlineDocument(tree, title, OutlineNamesOf(QStringLiteral("a&b <i>.qbo")),
                                       out, options));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(written.readAll());

    EXPECT_EQ(test::HtmlProblem(html), QString()) << html.toStdString();
    EXPECT_FALSE(html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>[A&amp;B &lt;I&gt;]</title>")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("content=\"Tom &amp; &quot;Jerry&quot; &lt;t@x&gt;\"")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("content=\"Generated by Quillbox from project "
                                     "[A&amp;B &lt;I&gt;]  ")));
    EXPECT_TRUE(html.contains(options.cssLine + QStringLiteral("\r\n")));  // the user's own markup
    EXPECT_TRUE(html.contains(
        QStringLiteral("<H1>1 &lt;Script&gt;alert(1)&lt;/script&gt; &amp; &quot;q&quot;</H1>")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("<P>fish &amp;amp; chips &amp; &lt;i&gt;&#39;x&#39;</P>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<P>[File = ") +
                              QString(attached)
                                  .replace(QStringLiteral("&"), QStringLiteral("&amp;"))
                                  .replace(QStringLiteral("<"), QStringLiteral("&lt;"))
                                  .replace(QStringLiteral(">"), QStringLiteral("&gt;")) +
                              QStringLiteral("]</P>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<P>x &lt; y &amp; z</P>")));
}

TEST_F(OutlinePrintTest, LongSectionsAreNeverCutShort)
{
    addProject(QStringLiteral("BIG"), -46000.1L);
    // More than 200 rows and more than 255,900 characters.
    const QString filler(1300, QLatin1Char('x'));
    exec(QStringLiteral("BEGIN"));
    for (int i = 0; i < 210; ++i)
        addItem(-46100.0L - i / 1000.0L, QStringLiteral("item%1 ").arg(i) + filler, {}, {"BIG"});
    exec(QStringLiteral("COMMIT"));
    OutlineTree tree;
    const int title = tree.add(QStringLiteral("[IDEAS]"));
    tree.add(QStringLiteral("BIG"), title);
    const QString text = QString::fromUtf8(print(tree, title, false, false));
    EXPECT_TRUE(text.contains(QStringLiteral("item0 ")));
    EXPECT_TRUE(text.contains(QStringLiteral("item209 ")));
    EXPECT_EQ(text.count(filler), 210);
}

TEST_F(OutlinePrintTest, FileInUseStopsBeforeWriting)
{
    const OutlineTree tree = abc();
    // A folder of the document's name cannot be removed as a file.
    QDir().mkpath(QDir(out).filePath(QStringLiteral("Outline IDEAS.txt/x")));
    messenger.expect(QStringLiteral("Outline IDEAS.txt is in use"));
    OutlinePrintOptions options;
    EXPECT_TRUE(PrintOutlineDocument(tree, tree.title(),
                                     OutlineNamesOf(QStringLiteral("ideas.qbo")), out, options)
                    .isEmpty());
}

}  // namespace
