#include "app/cli/CliCommand.h"

#include "dictionary/Concepts.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/InflectionRules.h"
#include "dictionary/WordOrderModel.h"
#include "dictionary/Words.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <cstdio>

namespace qb::cli {

namespace {

void printLine(const QString& line) { std::printf("%s\n", line.toUtf8().constData()); }
void printError(const QString& line) { std::fprintf(stderr, "%s\n", line.toUtf8().constData()); }

int wordAdd(QStringList args)
{
    takeEndOfOptions(args);
    QString text = args.join(QLatin1Char(' ')).trimmed();
    if (text.isEmpty()) {
        printError(QStringLiteral("usage: word add TEXT"));
        return kUsage;
    }
    if (characterCount(text) > kWordFieldLength) {
        printError(QStringLiteral("A word has at most %1 characters").arg(kWordFieldLength));
        return kFailed;
    }
    if (HasControlCharacter(text)) {
        printError(ControlCharacterMessage(QStringLiteral("A word")));
        return kFailed;
    }
    if (!tablesWhole({QStringLiteral("WORD"), QStringLiteral("INFLEC")})) return kFailed;
    int existing = 0;
    int number = CreateWordIfNew(text, &existing);
    if (existing > 0) {
        printError(QStringLiteral("\"%1\" is in the dictionary already (word %2)")
                       .arg(WordByNumber(existing))
                       .arg(existing));
        return kFailed;
    }
    if (number < 0) return kFailed;
    printLine(QString::number(number) + QLatin1Char('\t') + WordByNumber(number));
    return kOk;
}

int wordList(QStringList& args)
{
    QString name = takeOption(args, QStringLiteral("--order"));
    if (name.isEmpty() && args.contains(QStringLiteral("--order"))) {
        printError(QStringLiteral("--order needs alpha, time, usage or freq"));
        return kUsage;
    }
    DictOrder order = DictOrder::Alphabetical;
    if (name == QStringLiteral("time"))
        order = DictOrder::TimeStamp;
    else if (name == QStringLiteral("usage"))
        order = DictOrder::Usage;
    else if (name == QStringLiteral("freq"))
        order = DictOrder::Frequency;
    else if (!name.isEmpty() && name != QStringLiteral("alpha")) {
        printError(QStringLiteral("unknown order: ") + name +
                   QStringLiteral(" (alpha, time, usage or freq)"));
        return kUsage;
    }
    if (!args.isEmpty()) {
        printError(QStringLiteral("usage: word list [--order alpha|time|usage|freq]"));
        return kUsage;
    }
    auto model = WordOrderModel::create(session().store.db(), order);
    int count = model->rowCount();
    for (int i = 0; i < count; ++i) {
        DictionaryRow row = model->row(i);
        if (row.isValid()) printLine(QString::number(row.wordNo) + QLatin1Char('\t') + row.word);
    }
    return kOk;
}

// The word named on the command line, or -1 after saying that it is not in the dictionary.
int namedWord(const QString& text)
{
    int wordNo = WordNumberOf(text.trimmed());
    if (wordNo < 0) printError(QStringLiteral("\"%1\" is not in the dictionary").arg(text));
    return wordNo;
}

int wordForms(QStringList args)
{
    takeEndOfOptions(args);
    if (args.size() != 1) {
        printError(QStringLiteral("usage: word forms WORD"));
        return kUsage;
    }
    int wordNo = namedWord(args.first());
    if (wordNo < 0) return kFailed;
    for (const QString& form : FormsOfWord(wordNo)) printLine(form);
    return kOk;
}

int wordForm(QStringList args)
{
    QString action = args.isEmpty() ? QString() : args.takeFirst();
    takeEndOfOptions(args);
    if ((action != QStringLiteral("add") && action != QStringLiteral("remove")) ||
        args.size() != 2) {
        printError(QStringLiteral("usage: word form add|remove WORD FORM"));
        return kUsage;
    }
    int wordNo = namedWord(args.at(0));
    if (wordNo < 0) return kFailed;
    if (!tablesWhole({QStringLiteral("INFLEC")})) return kFailed;
    const QString& form = args.at(1);
    if (action == QStringLiteral("add")) {
        FormChange change = AddForm(wordNo, form);
        if (change == FormChange::Empty) printError(QStringLiteral("The form is empty"));
        return change == FormChange::Done ? kOk : kFailed;
    }
    FormChange change = RemoveForm(wordNo, form);
    if (change == FormChange::Missing || change == FormChange::Empty)
        printError(
            QStringLiteral("\"%1\" is not a form of \"%2\"").arg(form, WordByNumber(wordNo)));
    return change == FormChange::Done ? kOk : kFailed;
}

int runWord(Context& context)
{
    QStringList args = context.args;
    QString sub = args.isEmpty() ? QString() : args.takeFirst();
    if (sub == QStringLiteral("add")) return wordAdd(args);
    if (sub == QStringLiteral("list")) return wordList(args);
    if (sub == QStringLiteral("forms")) return wordForms(args);
    if (sub == QStringLiteral("form")) return wordForm(args);
    printError(
        QStringLiteral("usage: word add TEXT | word list [--order alpha|time|usage|freq] | "
                       "word forms WORD | word form add|remove WORD FORM"));
    return kUsage;
}

int runConcept(Context& context)
{
    if (context.args != QStringList{QStringLiteral("list")}) {
        printError(QStringLiteral("usage: concept list"));
        return kUsage;
    }
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT DISTINCT C FROM DICT ORDER BY C"));
    sql::Statement words(
        session().store.db(),
        QStringLiteral("SELECT b.Word FROM DICT a, WORD b WHERE a.C = ?1 AND a.WNo = b.WNo "
                       "ORDER BY a.WNo"));
    while (st.next()) {
        double id = st.realValue(0);
        words.reset();
        words.bind(1, id);
        QStringList texts;
        while (words.next()) texts << words.textValue(0);
        printLine(QString::number(id, 'f', 9) + QLatin1Char('\t') +
                  texts.join(QStringLiteral(", ")));
    }
    return st.ok() ? kOk : kFailed;
}

const Registration wordCommand{
    {QStringLiteral("word"),
     QStringLiteral(
         "word add TEXT | word list [--order alpha|time|usage|freq] | word forms WORD "
         "| word form add|remove WORD FORM   add a word, list the dictionary, or show, add "
         "and remove a word's forms"),
     true, runWord}};
const Registration conceptCommand{
    {QStringLiteral("concept"), QStringLiteral("concept list         every concept with its words"),
     true, runConcept}};

}  // namespace

}  // namespace qb::cli
