#include "items/CaptureCommands.h"

#include "cards/Desktop.h"
#include "cards/DragPayload.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>

namespace qb {

namespace {

void beepMessage(const QString& text)
{
    WarningBeep();
    PlainMessage(text);
}

QString clipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void clipboardChanged()
{
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();
}

// Steps after the question: the card, the keyword's word and concept, the keyword on the card.
// True when the card holds the keyword.
bool captureItem(const QString& keyword, bool* made)
{
    const Timestamp id = CreateBlankItem(true);
    if (id == 0) {
        beepMessage(QStringLiteral("Failed to create new item - Error"));
        return false;
    }
    TDesktop* desktop = TDesktop::current();
    QPointer<TItem> card =
        desktop ? qobject_cast<TItem*>(desktop->findCard(CardKind::Item, id)) : nullptr;
    if (!card) {
        beepMessage(QStringLiteral("Failed to reallocate new item - Error"));
        return false;
    }
    *made = true;
    if (HasControlCharacter(keyword)) {
        beepMessage(ControlCharacterMessage(QStringLiteral("A keyword")));
        return false;
    }
    const int wordNo = CaptureWordNumber(keyword);
    if (wordNo < 1) {
        beepMessage(QStringLiteral("Failed to reallocate new word - Error"));
        return false;
    }
    DragPayload payload;
    payload.source = DragPayload::Source::DictionaryWord;
    payload.wordNo = wordNo;
    payload.word = WordByNumber(wordNo);
    try {
        card->DropOn(ItemPart::Keys, payload, QPoint());
    } catch (const std::exception&) {
        beepMessage(QStringLiteral("frmSelectConcept in SaveClpToItem - Error"));
        return false;
    }
    return card && card->item().keyCount() > 0;
}

}  // namespace

void SaveClpToItem(LineBreaks mode, bool convertOnly)
{
    // Not while the information window waits for an answer.
    if (QApplication::activeModalWidget()) return;
    try {
        const QString original = clipboardText();
        if (original.isEmpty()) {
            ShowInfo(QStringLiteral("There is no text on the clipboard"), QStringLiteral("qb7125b"),
                     kInformation, 60030);
            return;
        }
        const QString converted = ConvertLineBreaks(original, mode);
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(converted);
        clipboardChanged();
        if (convertOnly) return;

        QString answer;
        if (!ShowInfo(CaptureQuestion(original, converted), QStringLiteral("qb7125x"), kAddKeyword,
                      answer, 60030))
            return;
        const QString keyword = QLocale().toLower(answer.trimmed());
        if (keyword.isEmpty()) {
            beepMessage(QStringLiteral("No keyword supplied"));
        } else {
            bool made = false;
            const bool keyed = captureItem(keyword, &made);
            // A card left without its keyword is still stored: the user must know it has none.
            if (made && !keyed)
                beepMessage(
                    QStringLiteral("The captured text was stored as an item without a "
                                   "keyword; give it one on its card"));
        }
        UpdateItems();
    } catch (const std::exception&) {
        PlainMessage(QStringLiteral("Convert text or SaveClpToItem failed"));
    }
}

void AnnotateClipboard(bool withComment)
{
    const QString text = clipboardText();
    if (text.isEmpty()) {
        ShowInfo(QStringLiteral("There is no text on the clipboard"), QStringLiteral("qb7125"),
                 kInformation, 50130);
        return;
    }
    QString comment;
    if (withComment)
        ShowInfo(QStringLiteral("Add a comment"), QStringLiteral("qb7125"), kInputRequest, comment,
                 50130);
    Session& s = session();
    const QString path = files::resolve(s.dir(), QString::fromLatin1(kAnnotationFileName));
    QString error;
    if (!AppendAnnotationFile(path, AnnotationHeader(s.clock().now(), QLocale()), withComment,
                              comment.trimmed(), text, &error))
        ShowInfo(
            QStringLiteral("The annotation was not saved; the file keeps the earlier ones.\n") +
                error,
            QStringLiteral("qb7125w"), kError, 50130);
}

}  // namespace qb
