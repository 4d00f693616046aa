#include "support/StoreFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QThread>

#include "floor/Settings.h"
#include "projects/Links.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"

using namespace qb;

namespace {

// Opening addresses and files with the programs set up or registered for them.
class Links : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        oldPath_ = qgetenv("PATH");
        oldData_ = qgetenv("XDG_DATA_HOME");
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath_);
        if (oldData_.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldData_);
        StoreFixture::TearDown();
    }

    QString script(const QString& name, const QString& body)
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                         QFileDevice::ExeOther);
        return p;
    }
    // A program that writes how many arguments it got and its first one, then "done".
    QString recorder(const QString& name)
    {
        return script(name, QStringLiteral("d=$(dirname \"$0\")\n"
                                           "printf '%s' \"$#\" > \"$d/count.txt\"\n"
                                           "printf '%s' \"$1\" > \"$d/arg.txt\"\n"
                                           ": > \"$d/done\""));
    }
    // What the recorder in that folder received: argument count and first argument.
    std::pair<QString, QString> recorded(const QString& folder)
    {
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(path(folder + QStringLiteral("/done"))) && waited.elapsed() < 10000)
            QThread::msleep(20);
        auto read = [&](const char* name) {
            QFile f(path(folder + QLatin1Char('/') + QLatin1String(name)));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        return {read("count.txt"), read("arg.txt")};
    }
    // xdg-mime that knows one type, .qbx, whose program is qbviewer; it notes what it was asked
    // and whether the file asked about was there.
    void fakeXdgMime()
    {
        script(QStringLiteral("bin/xdg-mime"),
               QStringLiteral("d=$(dirname \"$0\")\n"
                              "echo \"$@\" >> \"$d/asked.txt\"\n"
                              "[ -e \"$3\" ] && echo there >> \"$d/asked.txt\"\n"
                              "case \"$2\" in\n"
                              "filetype) case \"$3\" in *.qbx) echo application/x-qb-test;; *) "
                              "exit 1;; esac;;\n"
                              "default) [ \"$3\" = application/x-qb-test ] && echo "
                              "qbviewer.desktop;;\n"
                              "esac\n"
                              "exit 0"));
        const QString viewer = recorder(QStringLiteral("viewer/qbviewer"));
        QDir().mkpath(path(QStringLiteral("share/applications")));
        QFile entry(path(QStringLiteral("share/applications/qbviewer.desktop")));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write(
            ("[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer + " %f\n").toUtf8());
        qputenv("PATH", path(QStringLiteral("bin")).toUtf8() + ":" + oldPath_);
        qputenv("XDG_DATA_HOME", path(QStringLiteral("share")).toUtf8());
    }

    QByteArray oldPath_;
    QByteArray oldData_;
};

TEST_F(Links, TheBrowserGetsTheAddressAsOneArgumentUnchanged)
{
    session().settings.webBrowser = recorder(QStringLiteral("browser/web"));
    const QString address =
        QStringLiteral("https://example.org/a b?q=\"x y\";echo $(touch pwned) 'z'&r=1");
    ASSERT_TRUE(OpenInBrowser(address));
    const auto [count, argument] = recorded(QStringLiteral("browser"));
    EXPECT_EQ(count, QStringLiteral("1"));
    EXPECT_EQ(argument, address);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("pwned"))));

    session().settings.webBrowser = path(QStringLiteral("no-such-browser"));
    messenger.expect(QStringLiteral("The registered Browser program was not found"));
    EXPECT_FALSE(OpenInBrowser(address));
}

TEST_F(Links, TheRegisteredProgramComesFromXdgMimeAndTheSettingOverridesIt)
{
    fakeXdgMime();
    const QString viewer = path(QStringLiteral("viewer/qbviewer"));
    EXPECT_EQ(FindRegisteredProgram(QStringLiteral("qbx")), viewer);
    // Asked about an empty file of the type, made for the question and gone after it.
    QFile asked(path(QStringLiteral("bin/asked.txt")));
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    const QString questions = QString::fromUtf8(asked.readAll());
    EXPECT_TRUE(questions.contains(QStringLiteral("query filetype ") +
                                   QDir(dir()).absoluteFilePath(QStringLiteral("~~~~~~~~.qbx")) +
                                   QStringLiteral("\nthere\n")))
        << questions.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("~~~~~~~~.qbx"))));
    EXPECT_EQ(FindRegisteredProgram(QStringLiteral("zzq")), QString());

    // A document opens in its program, which gets the path.
    const QString plan = path(QStringLiteral("my.notes/plan.qbx"));
    QDir().mkpath(QFileInfo(plan).absolutePath());
    QFile(plan).open(QIODevice::WriteOnly);
    EXPECT_EQ(UrlExtension(plan), QStringLiteral("qbx"));
    ASSERT_TRUE(OpenProjectUrl(plan, nullptr));
    EXPECT_EQ(recorded(QStringLiteral("viewer")).second, plan);

    const QString chosen = recorder(QStringLiteral("chosen/editor"));
    writeIni(QStringLiteral("[FILE EXTENSIONS]\nqbx=") + chosen + QStringLiteral("\n"));
    EXPECT_EQ(ProgramForExtension(QStringLiteral("qbx")), chosen);
    ASSERT_TRUE(OpenProjectUrl(plan, nullptr));
    EXPECT_EQ(recorded(QStringLiteral("chosen")).second, plan);
    // Nothing there, nothing started.
    EXPECT_FALSE(OpenProjectUrl(path(QStringLiteral("gone.qbx")), nullptr));
}

TEST_F(Links, WebAddressesProgramsAndTheEncodedTail)
{
    QStringList web;
    auto openWeb = [&](const QString& url) {
        web << url;
        return true;
    };
    EXPECT_TRUE(OpenProjectUrl(QStringLiteral("http://h.org/p/a,b c.htm"), openWeb));
    EXPECT_EQ(web, QStringList{QStringLiteral("http://h.org/p/a%2Cb%20c.htm")});
    EXPECT_EQ(EncodeUrlTail(QStringLiteral("http://h.org/s?q=a,b")),
              QStringLiteral("http://h.org/s?q%3Da%2Cb"));
    EXPECT_EQ(EncodeUrlTail(QStringLiteral("http://h.org/a,b%20c")),
              QStringLiteral("http://h.org/a,b%20c"));
    EXPECT_EQ(EncodeUrlTail(QStringLiteral("http://h.org/a b")),
              QStringLiteral("http://h.org/a b"));
    EXPECT_EQ(TargetOfUrl(QStringLiteral("C:\\tools\\prog.EXE")), UrlTarget::Program);
    EXPECT_EQ(TargetOfUrl(recorder(QStringLiteral("tool/run"))), UrlTarget::Program);
    EXPECT_EQ(TargetOfUrl(path(QStringLiteral("notes.txt"))), UrlTarget::Document);
    EXPECT_EQ(UrlExtension(QStringLiteral("/home/me/.config/notes")), QString());
}

TEST_F(Links, TheBrowserPageIsTheClipboardsLinkWithItsTitle)
{
    QMimeData moz;
    const QString mozText = QStringLiteral("https://a.org/x\nA Title");
    moz.setData(QStringLiteral("text/x-moz-url"),
                QByteArray(reinterpret_cast<const char*>(mozText.utf16()), mozText.size() * 2));
    BrowserPage page = BrowserPageFrom(&moz);
    EXPECT_EQ(page.address, QStringLiteral("https://a.org/x"));
    EXPECT_EQ(page.title, QStringLiteral("A Title"));

    QMimeData html;
    html.setHtml(
        QStringLiteral("<meta charset='utf-8'><a href=\"https://b.org/p\">B <b>page</b></a>"));
    html.setText(QStringLiteral("B page"));
    page = BrowserPageFrom(&html);
    EXPECT_EQ(page.address, QStringLiteral("https://b.org/p"));
    EXPECT_EQ(page.title, QStringLiteral("B page"));

    QMimeData text;
    text.setText(QStringLiteral("  https://c.org/q  "));
    page = BrowserPageFrom(&text);
    EXPECT_EQ(page.address, QStringLiteral("https://c.org/q"));
    EXPECT_EQ(page.title, QString());
    text.setText(QStringLiteral("not an address"));
    EXPECT_EQ(BrowserPageFrom(&text).address, QString());
}

TEST_F(Links, ATerminalProgramRegisteredForATypeGivesWayToTheTextEditor)
{
    // Started without a terminal, vim would run unseen: the text editor opens the file instead.
    fakeXdgMime();
    QFile entry(path(QStringLiteral("share/applications/qbviewer.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
    entry.write("[Desktop Entry]\nType=Application\nName=Vim\nExec=sh %f\nTerminal=true\n");
    entry.close();
    session().settings.textEditor = QStringLiteral("/usr/bin/qb-text-editor");
    EXPECT_EQ(FindRegisteredProgram(QStringLiteral("qbx")), QString());
    EXPECT_EQ(ProgramForExtension(QStringLiteral("qbx")),
              QStringLiteral("/usr/bin/qb-text-editor"));
}

}  // namespace
