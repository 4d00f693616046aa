#include "app/cli/CliCommand.h"

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "items/ItemHooks.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "platform/TextChecks.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/ProgramText.h"
#include "shell/StoreDirectory.h"
#include "store/Schema.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>

namespace qb::cli {

namespace {

// Messages go to stderr; questions take --yes or their default button.
class CliMessenger : public Messenger {
public:
    explicit CliMessenger(bool yes) : yes_(yes) {}
    MessageReply showInfo(const MessageRequest& r) override
    {
        QString line = r.title() + QStringLiteral(": ") +
                       QString(r.message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!r.code.isEmpty()) line += QStringLiteral(" [") + r.code + QLatin1Char(']');
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        MessageReply reply;
        reply.answer = r.answer.trimmed();
        if (r.kind == kQuestionYes)
            reply.button = MessageButton::Yes;
        else if (r.kind == kQuestionNo)
            reply.button = yes_ ? MessageButton::Yes : MessageButton::No;
        else
            reply.button = MessageButton::Ok;
        return reply;
    }
    void plainMessage(const QString& text) override
    {
        std::fprintf(stderr, "%s\n",
                     QString(text)
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                         .toLocal8Bit()
                         .constData());
    }
    void beep() override {}

private:
    bool yes_;
};

// Commands (or command and verb) that only read the store: they run on a store that cannot
// be written, opened read-only.
bool onlyReads(const QString& name, const QStringList& args)
{
    static const QStringList commands = {QStringLiteral("check"), QStringLiteral("stats"),
                                         QStringLiteral("mill"), QStringLiteral("search")};
    static const QStringList verbs = {QStringLiteral("item show"), QStringLiteral("word list"),
                                      QStringLiteral("concept list"),
                                      QStringLiteral("project list")};
    if (commands.contains(name)) return true;
    return !args.isEmpty() && verbs.contains(name + QLatin1Char(' ') + args.first());
}

// A command's usage is its synopsis, then after a run of blanks what it does.
QStringList usageParts(const Command& c)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    const QRegularExpressionMatch m = gap.match(c.usage.trimmed());
    if (!m.hasMatch()) return {c.usage.trimmed(), QString()};
    return {c.usage.trimmed().left(m.capturedStart()), c.usage.trimmed().mid(m.capturedEnd())};
}

qb::ProgramText cliText()
{
    qb::ProgramText t;
    t.name = QStringLiteral("quillbox-cli");
    t.summary = QStringLiteral("work on a Quillbox store from a terminal");
    t.synopsis = QStringLiteral("[--dir DIR] [--yes] COMMAND [ARGUMENTS]");
    t.description = {
        QStringLiteral("quillbox-cli runs one command on the store that the desktop program "
                       "quillbox uses: it adds and lists words, items and projects, searches, "
                       "checks the store, and makes and restores backups. It may run while the "
                       "desktop program is open. Relative paths are taken from the current "
                       "directory."),
        QStringLiteral("\"quillbox-cli COMMAND --help\" prints the usage of one command without "
                       "opening or making a store. Options stand before \"--\"; what follows it "
                       "is taken as it is."),
        QStringLiteral("Exit status: 0 when the command succeeded, 1 when it failed, 2 when the "
                       "command line was wrong."),
    };
    t.options = {
        {QStringLiteral("--dir DIR"), QStringLiteral("Work on the store in DIR.")},
        {QStringLiteral("--yes"),
         QStringLiteral("Answer Yes to the questions a command asks whose default is No.")},
        {QStringLiteral("--help"),
         QStringLiteral("Print this help and exit; after a command, that command's usage.")},
        {QStringLiteral("--version"), QStringLiteral("Print the version and exit.")},
        {QStringLiteral("--man quillbox|quillbox-cli [FILE]"),
         QStringLiteral("Write that manual page in roff to FILE or standard output.")},
    };
    std::vector<Command> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : sorted) {
        const QStringList parts = usageParts(c);
        t.commands.push_back({parts[0], parts[1]});
    }
    qb::AddStoreEntries(t);
    t.seeAlso = {QStringLiteral("quillbox")};
    return t;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void printUsage() { print(stderr, qb::PlainHelp(cliText())); }

// --man PAGE [FILE]
int writeManPage(const QStringList& args)
{
    const QString page = args.value(1);
    qb::ProgramText text;
    if (page == QStringLiteral("quillbox"))
        text = qb::DesktopProgramText();
    else if (page == QStringLiteral("quillbox-cli"))
        text = cliText();
    else {
        std::fprintf(stderr, "--man takes quillbox or quillbox-cli\n");
        return kUsage;
    }
    const QByteArray roff = qb::ManPage(text, qb::session().version()).toUtf8();
    if (args.size() < 3) {
        std::fwrite(roff.constData(), 1, size_t(roff.size()), stdout);
        return kOk;
    }
    QFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(roff) != roff.size()) {
        std::fprintf(stderr, "cannot write %s\n", args[2].toLocal8Bit().constData());
        return kFailed;
    }
    return kOk;
}

}  // namespace

std::vector<Command>& commands()
{
    static std::vector<Command> all;
    return all;
}

bool openStore(Context& context, bool readOnlyAllowed)
{
    Session& s = session();
    QString error;
    if (!files::exists(context.dir, QStringLiteral("ITEM.DB"))) {
        std::fprintf(stderr, "Data base missing: %s\n", context.dir.toLocal8Bit().constData());
        return false;
    }
    if (!s.store.open(context.dir, &error, readOnlyAllowed)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return false;
    }
    if (s.store.isReadOnly()) {
        std::fprintf(stderr, "The store cannot be written; it is opened read-only\n");
        // The search index beside the tables is not written either: searches walk the items.
        search::searchState().indexEnabled = false;
    }
    return true;
}

bool tablesWhole(const QStringList& tableNames)
{
    Session& s = session();
    bool whole = true;
    for (const QString& name : tableNames) {
        const schema::Table* table = schema::find(name);
        if (!table || !s.store.isAttached(table->name)) continue;
        const QString fault = s.store.checkFile(*table, true);
        if (fault.isEmpty()) continue;
        std::fprintf(stderr, "%s is damaged (%s)\n%s\n", table->fileName.toLocal8Bit().constData(),
                     fault.toLocal8Bit().constData(),
                     Store::repairAdvice(table->fileName).toLocal8Bit().constData());
        whole = false;
    }
    return whole;
}

namespace {
const QString kEndOfOptions = QStringLiteral("--");

int optionIndex(const QStringList& args, const QString& name)
{
    const int end = args.indexOf(kEndOfOptions);
    const int i = args.indexOf(name);
    return end >= 0 && i > end ? -1 : i;
}
}  // namespace

QString takeOption(QStringList& args, const QString& name)
{
    int i = optionIndex(args, name);
    if (i < 0 || i + 1 >= args.size()) return {};
    QString value = args[i + 1];
    args.remove(i, 2);
    return value;
}

bool takeFlag(QStringList& args, const QString& name)
{
    int i = optionIndex(args, name);
    if (i < 0) return false;
    args.removeAt(i);
    return true;
}

void takeEndOfOptions(QStringList& args)
{
    const int end = args.indexOf(kEndOfOptions);
    if (end >= 0) args.removeAt(end);
}

QString callerPath(const Context& context, const QString& path)
{
    if (path.isEmpty() || path == QStringLiteral("-")) return path;
    return QDir::cleanPath(QDir(context.callerDir).absoluteFilePath(path));
}

int characterCount(const QString& text) { return CodePointCount(text); }

bool decodeUtf8(const QByteArray& bytes, QString* text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    *text = decoder(bytes);
    return !decoder.hasError();
}

}  // namespace qb::cli

int main(int argc, char** argv)
{
    using namespace qb::cli;
    QCoreApplication app(argc, argv);
    // Arguments are UTF-8; one that is not would reach the store as U+FFFD.
    QStringList args;
    for (int a = 1; a < argc; ++a) {
        QString arg;
        if (!decodeUtf8(QByteArray(argv[a]), &arg)) {
            std::fprintf(stderr, "Argument %d is not valid UTF-8 text\n", a);
            return kUsage;
        }
        args << arg;
    }
    Context context;
    context.callerDir = QDir::currentPath();
    QString dirOption;
    int i = optionIndex(args, QStringLiteral("--dir"));
    if (i >= 0) {
        if (i + 1 >= args.size()) {
            printUsage();
            return kUsage;
        }
        dirOption = args[i + 1];
        args.remove(i, 2);
    }
    context.answerYes = takeFlag(args, QStringLiteral("--yes"));
    if (args.isEmpty()) {
        printUsage();
        return kUsage;
    }
    if (args.first() == QStringLiteral("--help")) {
        print(stdout, qb::PlainHelp(cliText()));
        return kOk;
    }
    if (args.first() == QStringLiteral("--version")) {
        print(stdout,
              QStringLiteral("quillbox-cli ") + qb::session().version() + QLatin1Char('\n'));
        return kOk;
    }
    if (args.first() == QStringLiteral("--man")) return writeManPage(args);
    QString name = args.takeFirst();
    // A command's help touches no store, not even the choice of its directory.
    for (const Command& c : commands()) {
        if (c.name != name || optionIndex(args, QStringLiteral("--help")) < 0) continue;
        const QStringList parts = usageParts(c);
        print(stdout, QStringLiteral("usage: quillbox-cli [--dir DIR] [--yes] ") + parts[0] +
                          QStringLiteral("\n\n") + parts[1] + QLatin1Char('\n'));
        return kOk;
    }
    context.dir = qb::ChooseStoreDirectory(dirOption);
    context.args = args;

    CliMessenger messenger(context.answerYes);
    qb::Session& s = qb::session();
    s.setMessenger(&messenger);
    s.setDir(context.dir);
    context.dir = s.dir();

    for (const Command& c : commands()) {
        if (c.name != name) continue;
        if (c.needsStore && !openStore(context, onlyReads(name, context.args))) return kFailed;
        if (c.needsStore) {
            QDir::setCurrent(context.dir);
            if (s.store.isReadOnly()) {
                // qb.ini of a store that cannot be written is only read, never normalised back.
                qb::IniFile ini;
                QString error;
                if (ini.load(s.iniPath(), &error)) qb::LoadSettings(ini, s.settings, &error);
            } else {
                qb::ReadIniFile();
            }
            // Items the command writes are noted for the search index and read into it once
            // the command's transaction has ended.
            qb::itemHooks().itemsWritten = qb::search::NoteItemsWritten;
        }
        int rc = c.run(context);
        if (c.needsStore && !s.store.isReadOnly()) qb::search::UpdateItemTextIndex();
        s.store.close();
        s.setMessenger(nullptr);
        return rc;
    }
    std::fprintf(stderr, "unknown command: %s\n", name.toLocal8Bit().constData());
    printUsage();
    return kUsage;
}
