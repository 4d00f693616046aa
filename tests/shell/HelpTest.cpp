#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "cards/Desktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryWindow.h"
#include "items/ItemCard.h"
#include "mill/MillWindow.h"
#include "projects/ProjectWindow.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/HelpWindow.h"
#include "shell/ImportedText.h"
#include "shell/MainWindow.h"
#include "shell/ProgramText.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

const QString kSource = QStringLiteral(QUILLBOX_SOURCE_DIR);

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The source with its comments blanked, string and character literals kept.
QString withoutComments(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            for (++i; i < out.size() && out[i] != c; ++i)
                if (out[i] == QLatin1Char('\\')) ++i;
        } else if (out.mid(i, 2) == QStringLiteral("//")) {
            for (; i < out.size() && out[i] != QLatin1Char('\n'); ++i) out[i] = QLatin1Char(' ');
        } else if (out.mid(i, 2) == QStringLiteral("/*")) {
            const qsizetype end = out.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? out.size() : end + 2;
            for (; i < stop; ++i)
                if (out[i] != QLatin1Char('\n')) out[i] = QLatin1Char(' ');
            --i;
        }
    }
    return out;
}

// The arguments of the call whose "(" is at open.
QStringList callArguments(const QString& text, qsizetype open)
{
    QStringList args;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            for (++i; i < text.size() && text[i] != c; ++i)
                if (text[i] == QLatin1Char('\\')) ++i;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}')) {
            if (--depth == 0) {
                args << text.mid(start, i - start).simplified();
                return args;
            }
        } else if (c == QLatin1Char(',') && depth == 1) {
            args << text.mid(start, i - start).simplified();
            start = i + 1;
        }
    }
    return args;
}

struct HelpNumbers {
    QSet<int> numbers;     // every context-help number the program can ask for
    QSet<QString> topics;  // the named topics opened directly ("contents", "fkeys")
    QStringList problems;  // help numbers given in a form this walk cannot read
};

// Every help number of the code: the help constants, the numbers given to messages, windows and
// dialogs. A help number in any other form is a problem, so that none slips past the walk.
HelpNumbers CollectHelpNumbers()
{
    HelpNumbers found;
    static const QRegularExpression constant(
        QStringLiteral("constexpr int (k\\w*Help\\w*)\\s*=\\s*(\\d+)\\s*;"));
    static const QRegularExpression message(
        QStringLiteral("\\b(ShowInfo|ShowInfoIfVerbose|AskYesDefault|AskNoDefault|"
                       "setHelpContext|SetHelpTopic)\\s*\\("));
    static const QRegularExpression request(QStringLiteral("\\bhelpTopic\\s*=\\s*(\\w+)\\s*;"));
    static const QRegularExpression topic(
        QStringLiteral("showTopic\\(QStringLiteral\\(\"([^\"]+)\"\\)\\)"));
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    static const QRegularExpression named(QStringLiteral("^(\\w+::)*k\\w*Help\\w*$"));

    // The files that pass a number on: messages, the help topic, the card, the two help windows.
    static const QStringList plumbing = {
        QStringLiteral("src/floor/Messages.h"),    QStringLiteral("src/floor/Messages.cpp"),
        QStringLiteral("src/floor/HelpTopic.h"),   QStringLiteral("src/cards/BaseCard.h"),
        QStringLiteral("src/cards/BaseCard.cpp"),  QStringLiteral("src/shell/ShowInfoDialog.cpp"),
        QStringLiteral("src/shell/HelpWindow.cpp")};
    auto take = [&](const QString& arg, const QString& where) {
        if (number.match(arg).hasMatch()) {
            if (arg.toInt() > 0) found.numbers.insert(arg.toInt());
        } else if (!named.match(arg).hasMatch() && !plumbing.contains(where)) {
            found.problems << where + QStringLiteral(": ") + arg;
        }
    };
    QDirIterator it(kSource + QStringLiteral("/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString text = withoutComments(readText(file));
        const QString where = QDir(kSource).relativeFilePath(file);
        for (auto m = constant.globalMatch(text); m.hasNext();)
            found.numbers.insert(m.next().captured(2).toInt());
        for (auto m = message.globalMatch(text); m.hasNext();) {
            const QRegularExpressionMatch call = m.next();
            const QStringList args = callArguments(text, call.capturedEnd() - 1);
            // A declaration or definition names its parameter's type.
            if (args.isEmpty() || args.last().startsWith(QStringLiteral("int "))) continue;
            take(args.last(), where);
        }
        for (auto m = request.globalMatch(text); m.hasNext();) take(m.next().captured(1), where);
        for (auto m = topic.globalMatch(text); m.hasNext();)
            found.topics.insert(m.next().captured(1));
    }
    return found;
}

QSet<QString> anchorsIn(const QString& html)
{
    QSet<QString> anchors;
    static const QRegularExpression a(QStringLiteral("<a\\s+name=\"([^\"]+)\""));
    static const QRegularExpression id(QStringLiteral("\\sid=\"([^\"]+)\""));
    for (auto m = a.globalMatch(html); m.hasNext();) anchors.insert(m.next().captured(1));
    for (auto m = id.globalMatch(html); m.hasNext();) anchors.insert(m.next().captured(1));
    return anchors;
}

QString helpDir() { return kSource + QStringLiteral("/data/help"); }

// The keys of the help's hot-key table, as Qt writes them.
QStringList hotKeyTable(QString* problem)
{
    const QString html = readText(helpDir() + QStringLiteral("/index.html"));
    const qsizetype start = html.indexOf(QStringLiteral("<table id=\"hotkeys\""));
    const qsizetype end = html.indexOf(QStringLiteral("</table>"), start);
    if (start < 0 || end < 0) {
        *problem = QStringLiteral("no table with the id hotkeys");
        return {};
    }
    QStringList keys;
    static const QRegularExpression row(QStringLiteral("<tr><td>([^<]*)</td>"));
    for (auto m = row.globalMatch(html.mid(start, end - start)); m.hasNext();) {
        const QString text = m.next().captured(1).trimmed();
        const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
        if (key.count() != 1 || key.toString(QKeySequence::PortableText) != text)
            *problem += QStringLiteral(" unreadable key: ") + text;
        keys << key.toString(QKeySequence::PortableText);
    }
    keys.sort();
    return keys;
}

HelpWindow* shownHelp()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<HelpWindow*>(w); help && help->isVisible()) return help;
    return nullptr;
}

// F1 as the keyboard gives it: to the widget with the focus. The anchor of the help it opened.
QString pressF1()
{
    HelpWindow::closeAll();
    QWidget* target = QApplication::focusWidget();
    if (!target) return QStringLiteral("(no focus)");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    HelpWindow* help = shownHelp();
    return help ? help->browser()->source().fragment() : QStringLiteral("(no help)");
}

// The focus on w or on a widget inside it, as a click gives it.
bool focusOn(QWidget* w)
{
    w->window()->show();
    w->window()->activateWindow();
    QApplication::setActiveWindow(w->window());
    w->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == w || w->isAncestorOf(focus));
}

class Help : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        cwd = QDir::currentPath();
        window = std::make_unique<TBillBoard>();
    }
    void TearDown() override
    {
        HelpWindow::closeAll();
        if (TMill* mill = TMill::existing()) mill->close();
        if (TfrmImpText* text = TfrmImpText::instance()) text->hide();
        window.reset();
        QDir::setCurrent(cwd);
        StoreFixture::TearDown();
    }
    void run(const char* command)
    {
        window->commands().action(QString::fromLatin1(command))->trigger();
    }
    template <class Card> Card* newest()
    {
        const QList<Card*> cards = window->findChildren<Card*>();
        return cards.isEmpty() ? nullptr : cards.last();
    }

    std::unique_ptr<TBillBoard> window;
    test::ModalDriver driver;
    QString cwd;
};

}  // namespace

TEST(HelpPages, EveryHelpNumberOfTheCodeHasItsSectionAndEveryLinkItsTarget)
{
    const HelpNumbers code = CollectHelpNumbers();
    EXPECT_TRUE(code.problems.isEmpty()) << code.problems.join(QLatin1Char('\n')).toStdString();
    // The walk found the numbers of messages, windows and dialogs alike.
    for (int known : {40050, 30050, 10010, 30080, 70020, 60020})
        EXPECT_TRUE(code.numbers.contains(known)) << known;

    QHash<QString, QSet<QString>> anchors;
    const QStringList pages = QDir(helpDir()).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString& page : pages)
        anchors.insert(page, anchorsIn(readText(helpDir() + QLatin1Char('/') + page)));
    ASSERT_TRUE(anchors.contains(QStringLiteral("index.html")));
    const QSet<QString>& index = anchors[QStringLiteral("index.html")];
    for (int n : code.numbers)
        EXPECT_TRUE(index.contains(QString::number(n))) << "help number without a section: " << n;
    for (const QString& t : code.topics)
        EXPECT_TRUE(index.contains(t)) << "topic without a section: " << t.toStdString();

    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    for (const QString& page : pages) {
        const QString html = readText(helpDir() + QLatin1Char('/') + page);
        for (auto m = href.globalMatch(html); m.hasNext();) {
            const QString link = m.next().captured(1);
            if (link.contains(QStringLiteral("://")) || link.startsWith(QStringLiteral("mailto:")))
                continue;
            const QString file = link.section(QLatin1Char('#'), 0, 0);
            const QString target = file.isEmpty() ? page : file;
            const QString fragment = link.section(QLatin1Char('#'), 1);
            ASSERT_TRUE(anchors.contains(target))
                << page.toStdString() << ": " << link.toStdString();
            EXPECT_TRUE(fragment.isEmpty() || anchors[target].contains(fragment))
                << page.toStdString() << ": " << link.toStdString();
        }
    }
}

TEST_F(Help, TheHotKeyTableHoldsExactlyTheKeysTheDesktopBinds)
{
    QString problem;
    const QStringList table = hotKeyTable(&problem);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();

    QStringList bound;
    for (QAction* a : window->findChildren<QAction*>()) {
        // A mirror in a second menu only shows its command's key.
        if (a->shortcutContext() == Qt::WidgetShortcut) continue;
        for (const QKeySequence& key : a->shortcuts())
            bound << key.toString(QKeySequence::PortableText);
    }
    for (QShortcut* s : window->findChildren<QShortcut*>())
        if (!s->key().isEmpty()) bound << s->key().toString(QKeySequence::PortableText);
    bound.sort();
    EXPECT_EQ(table, bound);
}

TEST_F(Help, F1OpensThePageOfTheWindowWithTheFocus)
{
    // The first activation's work is done before the cards come.
    ASSERT_TRUE(focusOn(window.get()));
    run(cmd::NewDictionaryWindow);
    TDict* dictionary = newest<TDict>();
    ASSERT_NE(dictionary, nullptr);
    ASSERT_TRUE(focusOn(dictionary));
    EXPECT_EQ(pressF1(), QStringLiteral("50060"));
    // The menu entry finds the same page.
    HelpWindow::closeAll();
    ASSERT_TRUE(focusOn(dictionary));
    run(cmd::ContextHelp);
    ASSERT_NE(shownHelp(), nullptr);
    EXPECT_EQ(shownHelp()->browser()->source().fragment(), QStringLiteral("50060"));

    run(cmd::NewProjectWindow);
    TProj* projects = newest<TProj>();
    ASSERT_NE(projects, nullptr);
    ASSERT_TRUE(focusOn(projects));
    EXPECT_EQ(pressF1(), QStringLiteral("50071"));

    run(cmd::NewBlankItem);
    TItem* item = newest<TItem>();
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(focusOn(item->textEditor()));
    EXPECT_EQ(pressF1(), QStringLiteral("30050"));

    // A modal dialog: the Find dialog.
    QString inDialog;
    driver.then([&](QWidget* dialog) {
        inDialog = focusOn(dialog) ? pressF1() : QStringLiteral("(no focus)");
    });
    run(cmd::FindItemsAndConcepts);
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(inDialog, QStringLiteral("30080"));

    // Windows of their own: the Word Mill and the imported text.
    TMill& mill = TMill::instance();
    ASSERT_TRUE(focusOn(mill.display()));
    EXPECT_EQ(pressF1(), QStringLiteral("70020"));
    TfrmImpText::showWindow();
    ASSERT_TRUE(focusOn(TfrmImpText::instance()->text()));
    EXPECT_EQ(pressF1(), QStringLiteral("50130"));

    // The desktop itself.
    ASSERT_TRUE(focusOn(window->desktop()));
    EXPECT_EQ(pressF1(), QStringLiteral("10010"));
}

class CliHelp : public test::StoreFixture {};

TEST_F(CliHelp, EveryCommandPrintsItsUsageAndNoHelpMakesAStore)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("QUILLBOX_DIR"));
    auto runIn = [&](const QString& program, const QStringList& args, QString* out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(home.path());
        p.start(program, args);
        p.waitForFinished(30000);
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    auto cli = [&](const QStringList& args, QString* out) { return runIn(cliPath(), args, out); };
    QString out;
    ASSERT_EQ(cli({QStringLiteral("--help")}, &out), 0);
    QStringList names;
    bool inCommands = false;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' ')) && line.endsWith(QLatin1Char(':')))
            inCommands = line == QStringLiteral("commands:");
        else if (inCommands && line.startsWith(QStringLiteral("  ")) &&
                 line.at(2) != QLatin1Char(' '))
            names << line.mid(2).section(QLatin1Char(' '), 0, 0);
    }
    ASSERT_TRUE(names.contains(QStringLiteral("init"))) << out.toStdString();
    ASSERT_GE(names.size(), 15);
    for (const QString& name : names) {
        EXPECT_EQ(cli({name, QStringLiteral("--help")}, &out), 0) << name.toStdString();
        const QRegularExpression usage(QStringLiteral("^usage: quillbox-cli .*\\s") +
                                       QRegularExpression::escape(name) +
                                       QStringLiteral("(\\s|$)"));
        EXPECT_TRUE(usage.match(out.section(QLatin1Char('\n'), 0, 0)).hasMatch())
            << out.toStdString();
    }
    EXPECT_EQ(cli({QStringLiteral("--dir"), QStringLiteral("store"), QStringLiteral("init"),
                   QStringLiteral("--help")},
                  &out),
              0);
    // The desktop program's help needs no display and no store either.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    EXPECT_EQ(runIn(QStringLiteral(QUILLBOX_DESKTOP_PATH), {QStringLiteral("--help")}, &out), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("usage: quillbox [--dir DIR]"))) << out.toStdString();
    EXPECT_TRUE(QDir(home.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());

    // The manual page: the same commands, roff specials escaped.
    ASSERT_EQ(cli({QStringLiteral("--man"), QStringLiteral("quillbox-cli")}, &out), 0);
    for (const QString& name : names)
        EXPECT_TRUE(out.contains(QStringLiteral("\n\\fB") + RoffText(name))) << name.toStdString();
    EXPECT_EQ(RoffText(QStringLiteral(".x 'a\\b-c")), QStringLiteral("\\&.x 'a\\eb\\-c"));
    EXPECT_EQ(RoffText(QStringLiteral("'q")), QStringLiteral("\\&'q"));
}
