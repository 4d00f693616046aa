#include "desktop/DesktopDrop.h"

#include "cards/BaseCard.h"
#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "desktop/PopulateDesktop.h"
#include "desktop/PopulateState.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryTypes.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/Words.h"
#include "floor/Messages.h"
#include "items/ItemCommands.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace qb {

namespace {

using Source = DragPayload::Source;

bool takenByDesktop(Source source)
{
    switch (source) {
    case Source::DictionaryWord:
    case Source::InflectionWord:
    case Source::ItemKeyword:
    case Source::Project:
    case Source::ConceptWord: return true;
    case Source::Flyword: return bool(populateState().hooks.flywordDrop);
    default: return false;
    }
}

// The dragged word has been used: its window renews the usage mark of its current row; a drag
// whose window is gone renews it by number.
void touchWordUsage(TDesktop& desktop, const DragPayload& payload)
{
    if (auto* window = dynamic_cast<DictionaryWindowHost*>(desktop.cardOf(payload.sourceCard))) {
        if (window->browser().current().wordNo == payload.wordNo) {
            if (TouchWordUsage(window->browser())) window->rowsChanged();
            return;
        }
    }
    RenewWordUsage(payload.wordNo);
    for (DictionaryWindowHost* window : DictionaryWindows::instance().all()) {
        window->browser().refresh();
        window->rowsChanged();
    }
}

void dropWord(TDesktop& desktop, const DragPayload& payload, QPoint at)
{
    const bool fromDictionary = payload.source == Source::DictionaryWord;
    if (payload.wordNo <= 0) return;
    session().messenger().setWaitCursor(true);
    DragPayload& drag = CurrentDrag();
    drag.source = payload.source;
    drag.wordNo = payload.wordNo;
    drag.word = payload.word.left(kWordTextLimit);
    // An inflection window drags a form; the concept holds the word it is a form of.
    if (!fromDictionary) {
        const QString base = WordByNumber(payload.wordNo);
        if (!base.isEmpty()) drag.word = base.left(kWordTextLimit);
    }
    const std::vector<Timestamp> concepts = ConceptsOfWordRows(payload.wordNo);
    if (concepts.empty()) {
        NewConceptRequest request;
        request.withWord = true;
        // A point of the visible part; -1 would mean the creation spot.
        request.x = std::max(0, at.x());
        request.y = std::max(0, at.y());
        request.word = drag.word;
        request.wordNo = payload.wordNo;
        NewConcept(request);
        // The new concept goes into the store at once.
        if (fromDictionary) UpdateItems();
    } else {
        int groupColor = 0;
        DevelopSynWheelSet(desktop, concepts, at, kNoItemToSkip, true, groupColor);
    }
    if (fromDictionary) touchWordUsage(desktop, payload);
}

void dropKeyword(TDesktop& desktop, const DragPayload& payload, QPoint at)
{
    const std::vector<Timestamp> found = OneConceptRows(payload.conceptId);
    int groupColor = 0;
    // The concept card alone, whatever the explode mode.
    if (!found.empty()) DevelopSynWheelSet(desktop, found, at, kNoItemToSkip, false, groupColor);
}

void dropProject(TDesktop& desktop, const DragPayload& payload, QPoint at)
{
    Session& s = session();
    UpdateItems();
    if (populateState().hooks.restoreProjectOrder)
        populateState().hooks.restoreProjectOrder(payload.project);
    ItemSet items(ItemsOfProjectRows(payload.project));
    if (items.empty()) {
        ShowInfoIfVerbose(QStringLiteral("Nothing found"), QStringLiteral("qb1223"), kInformation,
                          20010);
        return;
    }
    ProjectTextCollector collector;
    collector.start(payload.project, s.clock().now());
    ItemSetText text;
    text.collector = &collector;
    int groupColor = 0;
    DevelopItemSet(desktop, items, at, kNoItemToSkip, text, groupColor);
    if (!s.settings.quiet && AskYesDefault(QStringLiteral("Display Project as text"), 50080))
        ClipboardToEditor(collector.text());
}

void dropConceptWord(TDesktop& desktop, const DragPayload& payload, QPoint at)
{
    TBasPanel* card = desktop.cardOf(payload.sourceCard);
    if (!card) card = desktop.findCard(CardKind::Concept, payload.conceptId);
    if (card) CurrentGroupColor() = card->focusMark()->fillColor();
    int groupColor = CurrentGroupColor().isValid() ? colors::fromQColor(CurrentGroupColor()) : 0;
    ExplodeItems(desktop, ItemOrder::Touched, payload.conceptId, at, groupColor);
    CurrentGroupColor() = colors::toQColor(groupColor);
}

}  // namespace

bool FormDragDrop(TDesktop& desktop, const DragPayload& payload, QPoint point, DropPlace place)
{
    Session& s = session();
    PopulateState& p = populateState();
    // The desktop takes no input while a run or a commit is in progress.
    if (s.commitRunning.raised() || !takenByDesktop(payload.source)) return false;
    KeyReleaseFlags();
    s.flags.releaseAbort();
    if (place == DropPlace::Picture) {
        point -= desktop.scroll();
        if (point.x() < 0 || point.y() < 0)
            PlainMessage(QStringLiteral("Formdragdrop coordinates negative"));
    }
    bool taken = true;
    try {
        p.loading = true;
        GeneralUpdate(desktop, true);
        switch (payload.source) {
        case Source::DictionaryWord:
        case Source::InflectionWord: dropWord(desktop, payload, point); break;
        case Source::ItemKeyword: dropKeyword(desktop, payload, point); break;
        case Source::Project: dropProject(desktop, payload, point); break;
        case Source::ConceptWord: dropConceptWord(desktop, payload, point); break;
        case Source::Flyword: taken = p.hooks.flywordDrop(payload, point); break;
        default: taken = false; break;
        }
    } catch (const std::exception& e) {
        s.flags.requestStop();
        ReportPopulateFailure(QString::fromLocal8Bit(e.what()),
                              QStringLiteral(".Drop command failed  Press Esc"));
    }
    s.messenger().setWaitCursor(false);
    p.loading = false;
    if (s.shell.clipboardChanged) s.shell.clipboardChanged();
    return taken;
}

namespace {

class DesktopDropFilter : public QObject {
public:
    explicit DesktopDropFilter(TDesktop& desktop) : QObject(&desktop), desktop_(&desktop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(e);
            const bool files = !TDesktop::droppedFilePaths(drag->mimeData()).isEmpty();
            if (session().commitRunning.raised() || (files && !desktop_->filesDropped))
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(e);
            const QMimeData* mime = drop->mimeData();
            const QStringList files = TDesktop::droppedFilePaths(mime);
            if (!files.isEmpty() && (!mime || !mime->hasFormat(DragPayload::mimeType()))) {
                if (session().commitRunning.raised() || !desktop_->filesDropped) {
                    drop->ignore();
                    return true;
                }
                drop->acceptProposedAction();
                // The file manager waits for the drop to end: dialogs come after.
                const QPoint at = drop->position().toPoint();
                QPointer<TDesktop> desktop = desktop_;
                QTimer::singleShot(0, desktop_, [desktop, files, at] {
                    if (desktop && desktop->filesDropped) desktop->filesDropped(files, at);
                });
                return true;
            }
            if (!mime || !mime->hasFormat(DragPayload::mimeType()) ||
                session().commitRunning.raised()) {
                drop->ignore();
                return true;
            }
            DragPayload payload = DragPayload::decode(mime->data(DragPayload::mimeType()));
            // A pointer cannot travel through mime data: the drag of the run keeps the card.
            if (CurrentDrag().source == payload.source)
                payload.sourceCard = CurrentDrag().sourceCard;
            if (!takenByDesktop(payload.source)) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            // The surface's coordinates are desktop coordinates. The run starts once the drag
            // has ended, so that the dragging card is no longer inside its drag loop.
            const QPoint at = drop->position().toPoint();
            QPointer<TDesktop> desktop = desktop_;
            QTimer::singleShot(0, desktop_, [desktop, payload, at] {
                if (desktop) FormDragDrop(*desktop, payload, at, DropPlace::Picture);
            });
            return true;
        }
        default: return QObject::eventFilter(watched, e);
        }
    }

private:
    QPointer<TDesktop> desktop_;
};

}  // namespace

void InstallDesktopDrops(TDesktop& desktop)
{
    desktop.surface()->setAcceptDrops(true);
    desktop.surface()->installEventFilter(new DesktopDropFilter(desktop));
}

}  // namespace qb
