#include "app/cli/CliCommand.h"

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "items/ItemHooks.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "platform/TextChecks.h"
#include "search/TextSearch.h"
#include "session/Session.h"
#include "shell/StoreDirectory.h"
#include "store/Schema.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringDecoder>

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

void printUsage()
{
    std::fprintf(stderr, "usage: quillbox-cli [--dir DIR] [--yes] COMMAND ...\ncommands:\n");
    for (const Command& c : commands())
        std::fprintf(stderr, "  %s\n", c.usage.toLocal8Bit().constData());
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
    if (args.isEmpty() || args.first() == QStringLiteral("--help")) {
        printUsage();
        return args.isEmpty() ? kUsage : kOk;
    }
    if (args.first() == QStringLiteral("--version")) {
        std::printf("quillbox-cli %s\n", QUILLBOX_VERSION);
        return kOk;
    }
    context.dir = qb::ChooseStoreDirectory(dirOption);
    QString name = args.takeFirst();
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
