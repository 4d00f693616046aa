#include "support/StoreFixture.h"

#include "projects/DropFiles.h"
#include "projects/TreeDragScroll.h"

#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

using namespace qb;

namespace {

class DropFiles : public test::StoreFixture {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
    const QDateTime when{QDate(2024, 3, 5), QTime(14, 7)};
    QString whenText() const { return QLocale().toString(when, QLocale::ShortFormat); }
};

TEST_F(DropFiles, OnlyTheLastFileCountsAndItsNameGivesExtensionAndBaseName)
{
    const auto file =
        LastDroppedFile({QStringLiteral("/a/first.rtf"), QStringLiteral("/b/Notes.v2.txt")});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->path, QStringLiteral("/b/Notes.v2.txt"));
    EXPECT_EQ(file->extension, QStringLiteral("TXT"));
    EXPECT_EQ(file->baseName, QStringLiteral("NOTES.V2"));
    // No dot before the last three characters: no extension; the base name is still the name
    // without whatever extension it has.
    EXPECT_EQ(LastDroppedFile({QStringLiteral("/c/README")})->extension, QString());
    EXPECT_EQ(LastDroppedFile({QStringLiteral("/c/README")})->baseName, QStringLiteral("README"));
    EXPECT_EQ(LastDroppedFile({QStringLiteral("/c/plan.md")})->baseName, QStringLiteral("PLAN"));
    EXPECT_FALSE(LastDroppedFile({}));
}

TEST_F(DropFiles, TxtRtfAndTheExtraSettingAreTheOnlyTypesAccepted)
{
    EXPECT_TRUE(DropExtensionAllowed(QStringLiteral("TXT"), QString()));
    EXPECT_TRUE(DropExtensionAllowed(QStringLiteral("RTF"), QString()));
    EXPECT_TRUE(DropExtensionAllowed(QStringLiteral("INI"), QStringLiteral("*INI*BAT*")));
    EXPECT_FALSE(DropExtensionAllowed(QStringLiteral("DOC"), QStringLiteral("*INI*BAT*")));
    EXPECT_FALSE(DropExtensionAllowed(QString(), QStringLiteral("*INI*BAT*")));

    const QString doc = writeFile(QStringLiteral("letter.doc"), "hello");
    messenger.expect(QStringLiteral("11188"));
    EXPECT_FALSE(DropFileOnCard(doc, QString(), QStringLiteral("*INI*BAT*"), when));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Only .TXT and .RTF files can be used.")));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("11188"));
}

TEST_F(DropFiles, A31999ByteFileIsAcceptedAnd32000BytesIsTooBig)
{
    const QString big = writeFile(QStringLiteral("big.txt"), QByteArray(32000, 'x'));
    messenger.expect(QStringLiteral("11189"));
    EXPECT_FALSE(DropFileOnCard(big, QString(), QString(), when));
    EXPECT_TRUE(messenger.saw(
        QStringLiteral("This text file appears to be too big for a single text item.")));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("11189"));

    const QString fits = writeFile(QStringLiteral("fits.txt"), QByteArray(31999, 'x'));
    messenger.answer(MessageButton::Yes);
    const std::optional<QString> text = DropFileOnCard(fits, QString(), QString(), when);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->section(QLatin1Char('\n'), 1), QString(31999, QLatin1Char('x')));
}

TEST_F(DropFiles, TheHeaderOnAnEmptyCardAndBelowEveryLineOfACardWithText)
{
    // A Latin-1 byte is read as its character, not replaced.
    const QString file = writeFile(QStringLiteral("todo.txt"), "one\r\ntwo caf\xe9\r\n");
    messenger.answer(MessageButton::Yes);
    EXPECT_EQ(DropFileOnCard(file, QString(), QString(), when),
              QStringLiteral("[--- ") + whenText() +
                  QStringLiteral(" --- todo.txt --- ]\none\ntwo caf\u00e9\n"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Ok to insert the text: todo.txt")));

    messenger.answer(MessageButton::Yes);
    EXPECT_EQ(DropFileOnCard(file, QStringLiteral("Shopping\r\nmilk\n\neggs"), QString(), when),
              QStringLiteral("Shopping\nmilk\n\neggs\n--- ") + whenText() +
                  QStringLiteral(" --- todo.txt --- \none\ntwo caf\u00e9\n"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("(Adding to \"Shopping... \")")));

    // No: the card keeps its text.
    messenger.answer(MessageButton::No);
    EXPECT_FALSE(DropFileOnCard(file, QStringLiteral("Shopping"), QString(), when));
}

TEST_F(DropFiles, RtfIsReadAsPlainTextAndBrokenRtfIsRefused)
{
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator W;}"
                             "\\f0\\fs20 Caf\\'e9 \\b bold\\b0\\par next\\{x\\}}"),
              QString::fromUtf8("Caf\u00e9 bold\nnext{x}"));

    const QString bad = writeFile(QStringLiteral("bad.rtf"), "plain, not rtf");
    messenger.expect(QStringLiteral("qb12295"));
    EXPECT_FALSE(DropFileOnCard(bad, QString(), QString(), when));
    EXPECT_TRUE(messenger.saw(
        QStringLiteral("Fails in converting from RTF format to plain text - ") + bad));
}

}  // namespace

TEST(TreeDragScrollRule, EdgesScrollSmallTreesStayAndStepsWaitATenthOfASecond)
{
    TreeDragScroll s;
    // Near the top: two nodes up, then to the first one.
    EXPECT_EQ(DragScrollTarget(s, 20, 3, 5, 200, 0), 1);
    EXPECT_EQ(DragScrollTarget(s, 20, 1, 5, 200, 50), -1);  // too soon
    EXPECT_EQ(DragScrollTarget(s, 20, 1, 5, 200, 100), 0);
    // The middle of the window leaves the tree.
    EXPECT_EQ(DragScrollTarget(s, 20, 0, 100, 200, 200), -1);
    // Near the bottom: never before the furthest first node reached (the sixth at first).
    EXPECT_EQ(DragScrollTarget(s, 20, 0, 195, 200, 300), 5);
    EXPECT_EQ(DragScrollTarget(s, 20, 6, 195, 200, 400), 7);
    EXPECT_EQ(DragScrollTarget(s, 20, 2, 195, 200, 500), 7);
    // Only while more than four nodes follow the first visible one.
    EXPECT_EQ(DragScrollTarget(s, 20, 15, 195, 200, 600), -1);
    EXPECT_EQ(DragScrollTarget(s, 20, 14, 195, 200, 700), 15);
    // Seven nodes fit: no scrolling.
    TreeDragScroll small;
    EXPECT_EQ(DragScrollTarget(small, 7, 3, 5, 200, 0), -1);
}
