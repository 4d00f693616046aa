#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace qb::cli {

// Exit codes of quillbox-cli.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct Context {
    QString dir;             // store directory
    QString callerDir;       // the directory the command was given from
    QStringList args;        // arguments after the command name
    bool answerYes = false;  // --yes: questions are answered Yes
};

struct Command {
    QString name;     // "init", "check", "word" ...
    QString usage;    // one line for the help text
    bool needsStore;  // open the store (and run nothing else) before the command
    std::function<int(Context&)> run;
};

// Commands register themselves from their own files with a static Registration.
std::vector<Command>& commands();
struct Registration {
    explicit Registration(Command command) { commands().push_back(std::move(command)); }
};

// Opens the store of the context's directory; prints the failure and returns false. A reading
// command allows a store that cannot be written: it is opened read-only, with a note on stderr.
bool openStore(Context& context, bool readOnlyAllowed = false);
// Quick-checks the files of the named tables before a command writes to them; prints each
// damaged file with what to do and returns false, so that nothing is written into it.
bool tablesWhole(const QStringList& tableNames);
// Options stand before "--"; everything after it is taken as it is ("--yes" can be an item text).
// Takes "--name VALUE" out of args; empty when absent.
QString takeOption(QStringList& args, const QString& name);
bool takeFlag(QStringList& args, const QString& name);
// Removes the "--" that ends the options, once the command has taken its options.
void takeEndOfOptions(QStringList& args);
// A path argument named from where the command was given: the CLI works in the store
// directory, so a relative path must be resolved before anything is read or written.
QString callerPath(const Context& context, const QString& path);
// Length in characters (code points), as the limits are given; not in UTF-16 units.
int characterCount(const QString& text);
// Decodes UTF-8 bytes; false when they are not valid UTF-8.
bool decodeUtf8(const QByteArray& bytes, QString* text);

}  // namespace qb::cli
