// The Word Mill on 32,000 characters of mixed text with 1,000 exclusions: cut, excluded and
// ordered (with the form look-ups in INFLEC and the display text), against tr -cs, grep -vxF and
// sort | uniq -c over the same text in the same run. The counts of both must be equal.
//
//     bench_mill [--seed S] [--runs R]

#include "BenchSupport.h"
#include "mill/WordMill.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace qb;

namespace {

// Letters of both cases from ASCII and the codes 192 to 255, so that tr can follow the cutting
// rule byte for byte on the Latin-1 file.
QString randomWord(QRandomGenerator& random)
{
    static const QString letters =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") +
        QString::fromLatin1("\xe0\xe9\xe8\xf6\xfc\xdf\xc4\xd6\xc9\xf1\xe7\xd7");
    QString word;
    const int length = 2 + int(random.bounded(8));
    for (int i = 0; i < length; ++i) word += letters[int(random.bounded(int(letters.size())))];
    return word;
}

QString mixedText(QRandomGenerator& random, const QStringList& vocabulary, int length)
{
    static const QStringList gaps = {" ",
                                     " ",
                                     " ",
                                     ", ",
                                     ". ",
                                     "'",
                                     "\n",
                                     " 42 ",
                                     "_",
                                     "-",
                                     QString::fromLatin1("\xab"),
                                     QString(QChar(0xa0))};
    QString text;
    while (text.size() < length) {
        text += vocabulary[int(random.bounded(int(vocabulary.size())))];
        text += gaps[int(random.bounded(int(gaps.size())))];
    }
    return text.left(length);
}

bool writeLatin1(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toLatin1()) == text.toLatin1().size();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    quint64 seed = 25;
    int runs = 7;
    if (!bench::readOptions(app.arguments().mid(1), {{"--seed", &seed}, {"--runs", &runs}}) ||
        runs < 1) {
        std::fprintf(stderr, "usage: bench_mill [--seed S] [--runs R]\n");
        return 2;
    }
    QTemporaryDir dir;
    QString error;
    bench::RecordingMessenger messenger;
    if (!schema::createEmptyStore(dir.path(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!bench::openStore(dir.path(), messenger)) return 1;

    QRandomGenerator random(quint32(seed & 0xffffffff));
    QStringList vocabulary;
    for (int i = 0; i < 3000; ++i) vocabulary << randomWord(random);
    const QString text = mixedText(random, vocabulary, mill::kImportLimit);
    QStringList exclusions;
    for (int i = 0; i < 1000; ++i) exclusions << vocabulary[i * 3].toLower();
    // Some forms, so the look-ups find something.
    for (int i = 1; i < 600; i += 3) {
        sql::Statement st(
            session().store.db(),
            QStringLiteral("INSERT OR IGNORE INTO INFLEC (Word, WNo) VALUES (?1, ?2)"));
        st.bind(1, vocabulary[i].toLower());
        st.bind(2, i);
        st.run();
    }

    mill::WordMill m;
    m.useExclusionFile = false;
    m.exclusionList = exclusions.join(QLatin1Char(' '));
    const double millMs = bench::timeMs(
        [&] {
            m.importText(text);
            m.orderWords();
        },
        runs);
    QMap<QString, int> millCounts;
    for (const auto& line : m.statistics()) millCounts[line.word] = line.count;

    const QString textPath = dir.filePath(QStringLiteral("text.txt"));
    const QString excludePath = dir.filePath(QStringLiteral("exclude.lst"));
    if (!writeLatin1(textPath, text) ||
        !writeLatin1(excludePath, exclusions.join(QLatin1Char('\n')) + QLatin1Char('\n'))) {
        std::fprintf(stderr, "cannot write the baseline's files\n");
        return 1;
    }
    // Upper case to lower case for ASCII and 192-222 except 215; letters are a-z and 192-255.
    const QString pipeline =
        QStringLiteral(
            "tr 'A-Z\\300-\\326\\330-\\336' 'a-z\\340-\\366\\370-\\376' < '%1' | "
            "tr -cs 'a-z\\300-\\377' '\\n' | grep -vxF -f '%2' | sort | uniq -c")
            .arg(textPath, excludePath);
    QByteArray output;
    const double toolMs = bench::timeMs(
        [&] {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral("sh"), {QStringLiteral("-c"), pipeline});
            p.waitForFinished(-1);
            output = p.readAllStandardOutput();
        },
        runs);
    QMap<QString, int> toolCounts;
    for (const QByteArray& line : output.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        const int blank = int(trimmed.indexOf(' '));
        if (blank <= 0) continue;
        const QString word = QString::fromLatin1(trimmed.mid(blank + 1));
        if (!word.isEmpty()) toolCounts[word] = trimmed.left(blank).toInt();
    }

    std::printf("text: %lld characters, %lld entries after %lld exclusions, %lld distinct\n",
                qlonglong(text.size()), qlonglong(m.collection.size()),
                qlonglong(exclusions.size()), qlonglong(millCounts.size()));
    std::printf("Word Mill (cut, exclude, order, display): %.2f ms (target < 50 ms)\n", millMs);
    std::printf("tr -cs | grep -vxF | sort | uniq -c:      %.2f ms (ratio %.2f)\n", toolMs,
                toolMs > 0 ? millMs / toolMs : 0.0);
    const bool same = millCounts == toolCounts;
    std::printf("counts %s\n", same ? "equal" : "DIFFER");
    if (!same) {
        int shown = 0;
        for (auto it = millCounts.begin(); it != millCounts.end() && shown < 5; ++it)
            if (toolCounts.value(it.key()) != it.value())
                std::printf("  %s: mill %d, tools %d\n", qPrintable(it.key()), it.value(),
                            toolCounts.value(it.key())),
                    ++shown;
        return 1;
    }
    if (!messenger.seen.isEmpty())
        std::printf("messages: %s\n", qPrintable(messenger.seen.join("; ")));
    return millMs < 50 ? 0 : 1;
}
