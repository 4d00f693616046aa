#include "ItemsFixture.h"
#include "items/Capture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/resource.h>
#include <csignal>

using namespace qb;

namespace {

class Capture : public test::ItemsFixture {};

QString keep(const char* text)
{
    return ConvertLineBreaks(QString::fromUtf8(text), LineBreaks::Keep);
}
QString remove(const char* text)
{
    return ConvertLineBreaks(QString::fromUtf8(text), LineBreaks::Remove);
}

TEST(CaptureConversion, BlanksAndBreaksFollowTheRulesInBothModes)
{
    const char* text = "one\r\ntwo  three\r\n\r\nfour  ";
    EXPECT_EQ(keep(text), QStringLiteral("one\r\ntwo three\r\n\r\nfour"));
    EXPECT_EQ(remove(text), QStringLiteral("one two three\r\n\r\nfour"));
    // A blank before a single break stays beside the blank the break becomes.
    EXPECT_EQ(remove("a \r\nb"), QStringLiteral("a  b"));
    EXPECT_EQ(keep("  a"), QStringLiteral(" a"));
    EXPECT_EQ(keep("\na"), QStringLiteral("\r\na"));
    EXPECT_EQ(remove("\na"), QStringLiteral(" a"));
    EXPECT_EQ(keep("a\n\n\nb"), QStringLiteral("a\r\n\r\nb"));
    // CR CR is an empty line; LF CR one break: the words never join.
    EXPECT_EQ(keep("a\r\rb"), QStringLiteral("a\r\n\r\nb"));
    EXPECT_EQ(remove("a\r\rb"), QStringLiteral("a\r\n\r\nb"));
    EXPECT_EQ(keep("a\n\rb"), QStringLiteral("a\r\nb"));
    EXPECT_EQ(remove("a\n\rb"), QStringLiteral("a b"));
    // Letters outside ASCII, above U+FFFF included, pass whole.
    EXPECT_EQ(remove("\u0416\u0438\u0437\u043D\u044C\n\u03B1\u03B2  \U0001F600\n"),
              QString::fromUtf8("\u0416\u0438\u0437\u043D\u044C \u03B1\u03B2 \U0001F600"));
}

TEST_F(Capture, TheKeywordIsTheWordItsFormLeadsToOrANewWordAndIsNeverSpliced)
{
    addWord(3, QStringLiteral("rose"));
    addWord(4, QStringLiteral("\u0440\u043E\u0437\u0430"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('roses', 3)"));
    EXPECT_EQ(CaptureWordNumber(QStringLiteral("rose")), 3);
    EXPECT_EQ(CaptureWordNumber(QStringLiteral("roses")), 3);
    EXPECT_EQ(CaptureWordNumber(QStringLiteral("\u0440\u043E\u0437\u0430")), 4);
    const QString hostile = QStringLiteral("x\" or \"1\"=\"1");
    const int made = CaptureWordNumber(hostile);
    EXPECT_EQ(made, 5);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD WHERE WNo = 5")).at(0).at(0).toString(),
              hostile);
}

TEST(CaptureAnnotation, TheHeaderIsDatedInTheLocaleAndTheFileGrowsByLines)
{
    const QDateTime morning(QDate(2003, 3, 4), QTime(9, 15));
    EXPECT_EQ(AnnotationHeader(morning, QLocale(QLocale::English)),
              QStringLiteral("*** Annotation ***   Tuesday, March 4, 2003,  at 09:15 AM"));
    EXPECT_TRUE(
        AnnotationHeader(QDateTime(QDate(2003, 3, 4), QTime(0, 5)), QLocale(QLocale::Russian))
            .endsWith(QStringLiteral("2003,  at 12:05 AM")));

    EXPECT_EQ(AppendedAnnotation(QStringLiteral("old\nlines"), QStringLiteral("H"), true, QString(),
                                 QStringLiteral("text\n\u03A9")),
              QStringLiteral("old\r\nlines\r\n\r\n\r\nH\r\n[  ]\r\ntext\r\n\u03A9\r\n"));
    EXPECT_EQ(
        AppendedAnnotation(QString(), QStringLiteral("H"), false, QString(), QStringLiteral("t")),
        QStringLiteral("\r\n\r\nH\r\nt\r\n"));
}

TEST_F(Capture, AFailedAnnotationWriteKeepsTheEarlierAnnotations)
{
    const QString path = QDir(dir()).filePath(QStringLiteral("qbimport.txt"));
    QString error;
    ASSERT_TRUE(AppendAnnotationFile(path, QStringLiteral("H1"), true, QStringLiteral("c"),
                                     QStringLiteral("first \u0436"), &error))
        << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_EQ(QString::fromUtf8(before), QStringLiteral("\r\n\r\nH1\r\n[ c ]\r\nfirst \u0436\r\n"));

    // A disk that fills up: no file may grow past a few bytes more than the old one.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(before.size() + 8);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = AppendAnnotationFile(path, QStringLiteral("H2"), false, QString(),
                                              QString(2000, QLatin1Char('x')), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("qbimport.txt*")}, QDir::Files).size(), 1);
}

TEST_F(Capture, TheCliCapturesStandardInputWithTheKeyword)
{
    addWord(3, QStringLiteral("rose"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('\u0440\u043E\u0437\u044B', 3)"));
    session().store.close();
    auto capture = [&](const QStringList& args, const QByteArray& input, QString* out) {
        QProcess p;
        p.start(cliPath(), QStringList{"--dir", dir(), "capture"} + args);
        EXPECT_TRUE(p.waitForStarted());
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return p.exitCode();
    };
    auto show = [&](const QString& id) {
        QString shown, err;
        EXPECT_EQ(runCli({"--dir", dir(), "item", "show", id}, &shown, &err), 0)
            << err.toStdString();
        return shown;
    };
    QString id;
    const QByteArray text =
        QString::fromUtf8("\u0416\u0438\r\nline  two\r\n\r\n\U0001F600\n").toUtf8();
    ASSERT_EQ(capture({"--keyword", "\u0420\u043E\u0437\u044B"}, text, &id), 0);
    EXPECT_TRUE(show(id).contains(QString::fromUtf8(
        "text\n\u0416\u0438\nline two\n\n\U0001F600\nkeywords 1\n  rose (word 3")))
        << show(id).toStdString();
    ASSERT_EQ(capture({"--no-crs", "--keyword", "Tulip"}, text, &id), 0);
    EXPECT_TRUE(show(id).contains(QString::fromUtf8(
        "text\n\u0416\u0438 line two\n\n\U0001F600\nkeywords 1\n  tulip (word 4")))
        << show(id).toStdString();
    EXPECT_EQ(capture({"--keyword", "x"}, "  \n", &id), 1);
    EXPECT_EQ(capture({}, "text", &id), 2);
}

}  // namespace
