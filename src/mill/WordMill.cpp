#include "mill/WordMill.h"

#include "floor/Messages.h"
#include "floor/Messenger.h"
#include "floor/RunContext.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "projects/DropFiles.h"
#include "session/Session.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <optional>
#include <random>

namespace qb::mill {

namespace {

const QString kExcludeFile = QStringLiteral("exclude.txt");

// Walks the code points of a lower-cased text, cutting it into words.
template <typename Add> void cut(const QString& text, bool listVariant, Add add)
{
    const QString lower = text.toLower();
    QString word;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        char32_t c = lower[i].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < lower.size() && lower[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(lower[i], lower[i + 1]);
            width = 2;
        }
        if (IsWordCharacter(c, listVariant)) {
            if (c == 0xA0)
                word += kShownJoin;
            else
                word += lower.mid(i, width);
        } else if (!word.isEmpty()) {
            add(word);
            word.clear();
        }
        i += width - 1;
    }
    if (!word.isEmpty()) add(word);
}

}  // namespace

bool IsWordCharacter(char32_t c, bool listVariant)
{
    if (c >= 'a' && c <= 'z') return true;
    if (c >= 192 && c <= 255) return true;
    if (listVariant && (c == '_' || c == 0xA0)) return true;
    if (c <= 255) return false;
    const auto category = QChar::category(c);
    return QChar::isLetter(c) || category == QChar::Mark_NonSpacing ||
           category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing;
}

QStringList CutImport(const QString& text)
{
    QStringList words;
    cut(text, false, [&](const QString& w) { words.push_back(w); });
    return words;
}

QStringList CutWords(const QString& text, bool noDuplicates)
{
    QStringList words;
    QSet<QString> seen;
    cut(text, true, [&](const QString& w) {
        if (noDuplicates) {
            if (seen.contains(w)) return;
            seen.insert(w);
        }
        words.push_back(w);
    });
    return words;
}

void WordMill::begin() { started_ = runContext().clock().elapsedMs(); }

bool WordMill::poll(int step, int every, const QString& text)
{
    if (step == 0 || step % every != 0) return cancelMark;
    runContext().messenger().processEvents();
    if (status && runContext().clock().elapsedMs() - started_ > 1000) status(text);
    return cancelMark;
}

void WordMill::takeUndoCopy()
{
    undoCopy = collection;
    hasUndoCopy = true;
}

bool WordMill::loadExclusionFile()
{
    const QString dir = runContext().dir();
    if (!useExclusionFile || dir.isEmpty() || !files::exists(dir, kExcludeFile)) return true;
    // An older list may be Latin-1: no byte of it is replaced when it is written back.
    QFile file(files::resolve(dir, kExcludeFile));
    if (!file.open(QIODevice::ReadOnly)) {
        InfoMessage(QStringLiteral("Cannot read ") + file.fileName() + QStringLiteral(": ") +
                    file.errorString());
        return false;
    }
    exclusionList = TextFromBytes(file.readAll());
    return true;
}

bool WordMill::saveExclusionFile()
{
    const QString dir = runContext().dir();
    if (!useExclusionFile || dir.isEmpty()) return false;
    const QString path = files::resolve(dir, kExcludeFile);
    QString error;
    unsavedList = !files::writeTextFile(path, exclusionList, &error);
    if (!unsavedList) return true;
    InfoMessage(QStringLiteral("Cannot save ") + path + QStringLiteral(": ") + error);
    return false;
}

bool WordMill::importText(const QString& text)
{
    cancelMark = false;
    loadExclusionFile();
    const int length = CodePointCount(text);
    if (length > kImportLimit) {
        InfoMessage(QStringLiteral("Importing more than %1 chars not allowed (the text has %2)")
                        .arg(kImportLimit)
                        .arg(length));
        return false;
    }
    statisticsMode = false;
    begin();
    collection.clear();
    const QString waiting = QStringLiteral("Wait while importing text of %1 chars").arg(length);
    // Cut in slices of 100 characters (never inside a word), so Esc can stop a long import.
    qsizetype from = 0;
    int step = 0;
    while (from < text.size()) {
        qsizetype to = std::min(text.size(), from + 100);
        while (to < text.size() &&
               (text[to].isSurrogate() || IsWordCharacter(text[to].toLower().unicode(), false)))
            ++to;
        collection += CutImport(text.mid(from, to - from));
        from = to;
        if (poll(++step, 1, waiting)) break;
    }
    dropWords(CutWords(exclusionList, false));
    writeDisplay();
    return true;
}

void WordMill::dropWords(const QStringList& words)
{
    for (qsizetype first = 0; first < words.size(); first += 50) {
        const QStringList chunk = words.mid(first, 50);
        const QSet<QString> drop(chunk.begin(), chunk.end());
        collection.removeIf([&](const QString& entry) { return drop.contains(entry); });
        if (first + 50 < words.size() && poll(1, 1, QStringLiteral("Wait while excluding words")))
            return;
    }
}

void WordMill::millText(quint32 seed)
{
    takeUndoCopy();
    statisticsMode = false;
    cancelMark = false;
    begin();
    dropWords(CutWords(exclusionList, false));
    std::mt19937 random(seed);
    const QString waiting = QStringLiteral("Wait while milling %1 words").arg(collection.size());
    QStringList left = collection;
    QStringList shuffled;
    while (!left.isEmpty() && shuffled.size() < kWordLimit) {
        std::uniform_int_distribution<qsizetype> pick(0, left.size() - 1);
        const qsizetype i = pick(random);
        shuffled.push_back(left[i]);
        left[i] = left.back();
        left.pop_back();
        if (poll(int(shuffled.size()), 100, waiting)) break;
    }
    if (!left.isEmpty() && shuffled.size() >= kWordLimit)
        InfoMessage(QStringLiteral("Breaking at max word count(%1)").arg(kWordLimit));
    else
        shuffled += left;  // stopped by Esc: the words not yet milled stay, in their order
    collection = shuffled;
    writeDisplay();
}

void WordMill::orderWords()
{
    takeUndoCopy();
    statisticsMode = true;
    std::sort(collection.begin(), collection.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    begin();
    writeDisplay();
}

void WordMill::getLatest()
{
    statisticsMode = false;
    collection = undoCopy;
    begin();
    writeDisplay();
}

QString WordMill::takeMarked()
{
    const int start = std::clamp(selectionStart, 0, int(displayText.size()));
    const int length = std::clamp(selectionLength, 0, int(displayText.size()) - start);
    QString marked = displayText.mid(start, length);
    if (!marked.startsWith(QLatin1Char(' '))) marked.prepend(QLatin1Char(' '));
    if (marked == QStringLiteral(" ")) marked.clear();
    if (length > 0) {
        const int from = std::max(0, start - 1);
        const int to = std::min(int(displayText.size()), start + length + 1);
        displayText.replace(from, to - from, QStringLiteral(" "));
        caret = from;
    }
    selectionLength = 0;
    return marked;
}

void WordMill::removeWords()
{
    takeUndoCopy();
    statisticsMode = false;
    const int keep = caret;
    begin();
    dropWords(CutWords(takeMarked(), false));
    writeDisplay();
    caret = std::min(keep, int(displayText.size()));
}

bool WordMill::exclude()
{
    statisticsMode = false;
    const int keep = caret;
    const QString marked = takeMarked();
    // A list that cannot be read is never replaced by one without its words.
    const bool loaded = loadExclusionFile();
    if (!marked.isEmpty()) {
        exclusionList += QLatin1Char(' ') + marked;
    } else if (editExclusions) {
        QString edited = exclusionList;
        if (editExclusions(edited)) exclusionList = edited;
    }
    QString list;
    for (const QString& word : CutWords(exclusionList, true)) list += word + QLatin1Char(' ');
    exclusionList = list;
    const bool saved = loaded && saveExclusionFile();
    begin();
    dropWords(CutWords(marked, false));
    writeDisplay();
    caret = std::min(keep, int(displayText.size()));
    return saved;
}

void WordMill::addWord(const QString& word)
{
    const int keep = caret;
    const QString lower = word.trimmed().toLower();
    if (!lower.isEmpty() && !HasControlCharacter(lower)) collection.push_back(lower);
    begin();
    writeDisplay();
    caret = std::min(keep, int(displayText.size()));
}

void WordMill::bindWords()
{
    if (statisticsMode) return;
    const int keep = caret;
    const QString marked = takeMarked();
    const QStringList words = CutWords(marked, false);
    begin();
    if (marked.contains(kShownJoin) || marked.contains(kHiddenJoin)) {
        // Unbinding: each bound term gives back its words once for every entry it was.
        for (const QString& term : words) {
            if (!term.contains(kShownJoin)) continue;
            const qsizetype entries = collection.removeAll(term);
            const QStringList parts =
                CutWords(QString(term).replace(kShownJoin, QLatin1Char(' ')), false);
            for (qsizetype i = 0; i < entries; ++i) collection += parts;
        }
    } else if (!words.isEmpty()) {
        dropWords(words);
        // Stored with "_" whatever the display shows; the binding display swaps it.
        collection.push_back(kShownJoin + words.join(kShownJoin));
    }
    writeDisplay();
    caret = std::min(keep, int(displayText.size()));
}

void WordMill::toggleBinding()
{
    statisticsMode = false;
    bindingShown = !bindingShown;
    showBinding();
}

void WordMill::showBinding()
{
    if (bindingShown)
        displayText.replace(kHiddenJoin, kShownJoin);
    else
        displayText.replace(kShownJoin, kHiddenJoin);
    if (displayText.startsWith(QLatin1Char('\n'))) displayText.remove(0, 1);
}

std::vector<WordMill::Line> WordMill::statistics() const
{
    std::vector<Line> lines;
    const bool store = session().store.isOpen();
    std::optional<sql::Statement> form;
    if (store)
        form.emplace(session().store.db(),
                     QStringLiteral("SELECT 1 FROM INFLEC WHERE Word = ?1 LIMIT 1"));
    for (qsizetype i = 0; i < collection.size();) {
        qsizetype j = i + 1;
        while (j < collection.size() && collection[j] == collection[i]) ++j;
        Line line{collection[i], int(j - i), false};
        if (form) {
            form->reset();
            form->bind(1, collection[i].toLower());
            line.form = form->next();
        }
        lines.push_back(line);
        i = j;
    }
    return lines;
}

void WordMill::writeDisplay()
{
    if (!writesDisplay) return;
    QString text;
    int written = 0;
    bool stopped = false;
    const QString waiting = QStringLiteral("Wait while writing text");
    if (statisticsMode) {
        for (const Line& line : statistics()) {
            if (written == kWordLimit) {
                stopped = true;
                break;
            }
            text += QLatin1Char('\n');
            if (line.form) text += kFormMark + QLatin1Char(' ');
            text += line.word + QLatin1Char(',') + QString::asprintf("%5d", line.count);
            if (poll(++written, 100, waiting)) break;
        }
    } else {
        for (const QString& entry : collection) {
            if (written == kWordLimit) {
                stopped = true;
                break;
            }
            text += entry + QLatin1Char(' ');
            if (poll(++written, 100, waiting)) break;
        }
    }
    if (stopped) InfoMessage(QStringLiteral("Stopping at max of %1 chars").arg(kWordLimit));
    displayText = text;
    showBinding();
    caret = std::min(caret, int(displayText.size()));
    selectionStart = caret;
    selectionLength = 0;
}

}  // namespace qb::mill
