#include "dictionary/DesktopWordDrop.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>

#include "desktop/Collection.h"
#include "desktop/Desktop.h"
#include "desktop/DragGrid.h"
#include "desktop/DragPayload.h"
#include "desktop/SlotRequests.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryCardData.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/Words.h"
#include "shell/Messages.h"
#include "shell/Session.h"

namespace qb {

namespace {

// The dictionary window the word was dragged from, while it is still on the desktop.
DictionaryWindowHost* sourceWindow(TDesktop& desktop, const DragPayload& payload) {
    if (!payload.sourceCard || !desktop.cardOf(payload.sourceCard)) return nullptr;
    auto* data = dynamic_cast<DictionaryCardData*>(payload.sourceCard);
    return data ? data->window : nullptr;
}

void touchUsage(TDesktop& desktop, const DragPayload& payload) {
    DictionaryWindowHost* window = sourceWindow(desktop, payload);
    if (!window) return;
    DictionaryBrowser& b = window->browser();
    if (b.current().wordNo != payload.wordNo && !b.positionOnWordNo(payload.wordNo)) return;
    TouchWordUsage(b);
    window->rowsChanged();
}

class DesktopDropFilter : public QObject {
  public:
    DesktopDropFilter(TDesktop& desktop) : QObject(&desktop), desktop_(desktop) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* d = static_cast<QDragMoveEvent*>(e);
                if (!d->mimeData()->hasFormat(DragPayload::mimeType())) return false;
                d->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* d = static_cast<QDropEvent*>(e);
                std::optional<DragPayload> payload = PayloadOfDrop(d->mimeData());
                if (!payload) return false;
                d->acceptProposedAction();
                QPoint at = desktop_.surface()->mapFrom(static_cast<QWidget*>(watched),
                                                        d->position().toPoint());
                if (const DesktopDropHandler& handler = desktopDropHandler())
                    handler(desktop_, *payload, at);
                return true;
            }
            default:
                return false;
        }
    }

  private:
    TDesktop& desktop_;
};

}  // namespace

DesktopDropHandler& desktopDropHandler() {
    static DesktopDropHandler handler = DropWordOnDesktop;
    return handler;
}

bool DropWordOnDesktop(TDesktop& desktop, const DragPayload& payload, QPoint desktopPos) {
    const bool fromDictionary = payload.source == DragPayload::Source::DictionaryWord;
    if (!fromDictionary && payload.source != DragPayload::Source::InflectionWord) return false;
    if (payload.wordNo <= 0) return false;
    ClearAbortFlags();
    // Cards dropped or deleted before are collected first.
    GeneralUpdate(desktop, true);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString word = payload.word;
    if (!fromDictionary) {
        QString base = WordByNumber(payload.wordNo);
        if (!base.isEmpty()) word = base;
    }
    const QPoint visible = desktopPos - desktop.scroll();
    std::vector<Timestamp> concepts = ConceptIdsOfWord(payload.wordNo);
    if (concepts.empty()) {
        NewConceptRequest request;
        request.withWord = true;
        request.x = std::max(0, visible.x());
        request.y = std::max(0, visible.y());
        request.word = word;
        request.wordNo = payload.wordNo;
        // A dictionary word's new concept is stored at once.
        if (NewConcept(request) && fromDictionary) session().hooks.commit();
    } else if (const auto& develop = dictionaryHooks().developConcepts) {
        develop(concepts, visible);
    }
    if (fromDictionary) touchUsage(desktop, payload);
    QApplication::restoreOverrideCursor();
    desktop.redrawMap();
    return true;
}

void DevelopConceptsOnDiagonal(TDesktop& desktop, const std::vector<Timestamp>& concepts,
                               QPoint visiblePos) {
    Session& s = session();
    if (s.heldAbort) return;
    const int dx = s.settings.horizontal + s.settings.conceptWinExtraOffsetHoriz;
    const int dy = s.settings.vertical;
    for (int i = 0; i < int(concepts.size()) && i < 200; ++i) {
        if (s.heldAbort) break;
        QPoint at = desktop.toDesktop(visiblePos + QPoint(i * dx, i * dy));
        SynWheelSetup(desktop, at, concepts[size_t(i)]);
        s.messenger().processEvents();
    }
    if (!s.heldAbort) s.escRequest = false;
}

void AcceptDropsOnDesktop(TDesktop& desktop) {
    auto* filter = new DesktopDropFilter(desktop);
    for (QWidget* w : {desktop.surface(), desktop.viewport()}) {
        w->setAcceptDrops(true);
        w->installEventFilter(filter);
    }
}

}  // namespace qb
