#include "search/LookupMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QTextCursor>

#include "cards/Desktop.h"
#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/Words.h"
#include "items/ItemCard.h"
#include "items/ItemHooks.h"
#include "session/Session.h"

namespace qb::search {

namespace {

void act(TItem& card, const LookupMenu& lookup, const LookupEntry& entry, QPoint globalPos,
         const std::function<void()>& findText)
{
    using Kind = LookupEntry::Kind;
    switch (entry.kind) {
    case Kind::Find:
    case Kind::NotShown:
        if (findText) findText();
        break;
    case Kind::GotoWord: DictPositionFromMain(lookup.wordNo); break;
    case Kind::AddWord: CallNewWord(lookup.text, true); break;
    case Kind::Flyword: {
        QString selected = card.textEditor()->textCursor().selectedText();
        if (selected.isEmpty() || !itemHooks().makeFlyword) break;
        selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        card.saveSelection();
        const Settings& s = session().settings;
        itemHooks().makeFlyword(
            selected, card.desktop().toDesktop(QPoint(s.popSpotZX, s.popSpotZY)), card.itemId());
        break;
    }
    case Kind::Replace: {
        // An edit like the user's own: the card saves it as any other.
        QTextCursor cursor = card.textEditor()->textCursor();
        cursor.insertText(entry.form + QLatin1Char(' '));
        card.textEditor()->setTextCursor(cursor);
        break;
    }
    case Kind::RegularMenu: card.openCommandPanel(ItemPart::Text, globalPos); break;
    case Kind::Separator: break;
    }
}

}  // namespace

void FillLookupMenu(QMenu& menu, const LookupMenu& lookup)
{
    menu.clear();
    for (int k = 0; k < int(lookup.entries.size()); ++k) {
        const LookupEntry& entry = lookup.entries[size_t(k)];
        QAction* action = entry.kind == LookupEntry::Kind::Separator
                              ? menu.addSeparator()
                              : menu.addAction(entry.caption);
        action->setObjectName(entry.name);
        action->setData(k);
        // Flywords come from elsewhere; without them the entry is there but cannot be chosen.
        if (entry.kind == LookupEntry::Kind::Flyword)
            action->setEnabled(bool(itemHooks().makeFlyword));
    }
}

void ShowLookupMenu(TItem& card, const QString& selection, QPoint globalPos,
                    const std::function<void()>& findText)
{
    const QPoint clickPos = globalPos - QPoint(0, 24);
    const QString text = LookupText(selection);
    if (text.isEmpty()) {
        card.openCommandPanel(ItemPart::Text, clickPos);
        return;
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
    if (session().shell.clipboardChanged) session().shell.clipboardChanged();

    const LookupMenu lookup = BuildLookupMenu(text);
    QPointer<TItem> guard(&card);
    // Not the card's child: the card may be freed while the menu is open.
    QMenu menu(card.window());
    menu.setObjectName(QStringLiteral("lookupMenu"));
    FillLookupMenu(menu, lookup);
    QAction* chosen = menu.exec(globalPos);
    if (!chosen || !guard) return;
    const int k = chosen->data().toInt();
    if (k >= 0 && k < int(lookup.entries.size()))
        act(card, lookup, lookup.entries[size_t(k)], clickPos, findText);
}

}  // namespace qb::search
