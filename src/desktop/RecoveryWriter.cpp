#include "desktop/RecoveryWriter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include "cards/Desktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/ConceptCardData.h"
#include "dictionary/Concepts.h"
#include "floor/Messages.h"
#include "items/ItemCard.h"
#include "items/ItemCardData.h"
#include "platform/Clock.h"
#include "session/Session.h"

namespace qb {

namespace {

RecoveryWriter* theWriter = nullptr;

// What the next commit would write and a restart could give back. Deletions are left out: a
// card must not disappear from the store after a crash without the user seeing it go.
bool worthKeeping(const CardData* card)
{
    if (!card || !card->changed || card->deleted) return false;
    if (auto* item = dynamic_cast<const ItemCardData*>(card)) return !item->isEmpty();
    return dynamic_cast<const ConceptCardData*>(card) != nullptr;
}

bool isEditEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: return true;
    default: return false;
    }
}

}  // namespace

RecoveryWriter::RecoveryWriter(TDesktop& desktop, QObject* parent)
    : QObject(parent), desktop_(&desktop)
{
    timer_.setSingleShot(true);
    clock_.start();
    connect(&timer_, &QTimer::timeout, this, &RecoveryWriter::writeNow);
    ready_ = !QFileInfo::exists(path());
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    theWriter = this;
    recovery::AfterCommitHook() = [this] { writeNow(); };
}

RecoveryWriter::~RecoveryWriter()
{
    if (theWriter == this) {
        theWriter = nullptr;
        recovery::AfterCommitHook() = nullptr;
    }
    writer_.waitForDone();
}

RecoveryWriter* RecoveryWriter::current() { return theWriter; }

QString RecoveryWriter::path() const { return recovery::FilePath(session().dir()); }

bool RecoveryWriter::eventFilter(QObject* watched, QEvent* event)
{
    if (isEditEvent(event->type())) editsPending();
    return QObject::eventFilter(watched, event);
}

void RecoveryWriter::editsPending() { timer_.start(schedule_.edit(clock_.elapsed())); }

void RecoveryWriter::writeNow()
{
    timer_.stop();
    schedule_.written();
    if (!ready_ || !desktop_) return;
    std::vector<const CardData*> cards;
    for (const CardData* card : desktop_->cards())
        if (worthKeeping(card)) cards.push_back(card);
    if (cards.empty()) {
        if (fileMayExist_) writer_.remove(path());
        fileMayExist_ = false;
        lastWritten_.clear();
        return;
    }
    QByteArray bytes = recovery::Serialize(cards, &pictures_);
    if (bytes == lastWritten_) return;
    writer_.write(path(), bytes);
    lastWritten_ = std::move(bytes);
    fileMayExist_ = true;
}

void RecoveryWriter::finish()
{
    writeNow();
    writer_.waitForDone();
}

QString RecoveryWriter::setAside()
{
    writer_.waitForDone();
    return recovery::SetAside(path(), session().clock().now());
}

int RecoveryWriter::offerRecovery()
{
    const QString file = path();
    if (ready_ || !desktop_) return 0;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        ready_ = !QFileInfo::exists(file);  // an unreadable file is left as it is
        return 0;
    }
    recovery::Contents contents = recovery::Parse(in.readAll());
    in.close();
    fileMayExist_ = true;
    if (!contents.ok()) {
        ready_ = true;
        const QString aside = setAside();
        ShowInfo(QStringLiteral("The file of unsaved card edits is unreadable (") + contents.error +
                     QStringLiteral(") and was set aside as ") + (aside.isEmpty() ? file : aside),
                 QString(), kError, 0);
        return 0;
    }
    if (contents.cards.empty()) {
        ready_ = true;
        writeNow();
        return 0;
    }
    const int found = int(contents.cards.size());
    const QString question =
        QString::number(found) +
        (found == 1 ? QStringLiteral(" unsaved card edit was found from the last run.")
                    : QStringLiteral(" unsaved card edits were found from the last run.")) +
        (found == 1 ? QStringLiteral(" Put it back on the desktop?")
                    : QStringLiteral(" Put them back on the desktop?"));
    const bool yes = AskYesDefault(question, 0);
    if (session().shell.endRequested && session().shell.endRequested()) {
        // The program is being ended while it asked: the file waits for the next start.
        return 0;
    }
    ready_ = true;
    if (!yes) {
        const QString aside = setAside();
        fileMayExist_ = false;
        ready_ = !aside.isEmpty();  // a file that could not be renamed is not written over
        ShowInfo(QStringLiteral("The unsaved card edits were kept in ") +
                     (aside.isEmpty() ? file : aside),
                 QString(), kInformation, 0);
        return 0;
    }
    const int laid = layOut(contents.cards);
    if (laid < found) {
        const QString aside = setAside();
        ShowInfo(QString::number(found - laid) +
                     QStringLiteral(" of the unsaved card edits found no place on the "
                                    "desktop; all of them were kept in ") +
                     aside,
                 QString(), kError, 0);
    }
    lastWritten_.clear();
    writeNow();
    return laid;
}

int RecoveryWriter::layOut(std::vector<std::unique_ptr<CardData>>& cards)
{
    TDesktop& desktop = *desktop_;
    int laid = 0;
    for (std::unique_ptr<CardData>& card : cards) {
        if (auto* item = dynamic_cast<ItemCardData*>(card.get())) {
            const SlotAnswer slot = desktop.GetItemSlot(item->pos, item->itemId, 0);
            if (!slot.isNew()) continue;
            auto data = std::make_unique<ItemCardData>(*item);
            data->normalColor = session().settings.newItemColor;
            auto* widget = new TItem(desktop, std::move(data));
            desktop.takeSlot(*widget, slot.result);
            // The card had the size the user left it at.
            widget->item().size = item->size;
            widget->item().normalSize = item->size;
            if (widget->item().hasPicture) widget->showDataPicture();
            widget->item().changed = true;
            widget->applyDataGeometry();
            widget->ApplyColor();
            widget->Layout();
            widget->show();
            ++laid;
        } else if (auto* conceptCard = dynamic_cast<ConceptCardData*>(card.get())) {
            ConceptCardData data = *conceptCard;
            data.pos -= desktop.scroll();  // placed by a point of the visible part
            data.normalColor = session().settings.synFrameColor;
            data.color = GetNewConceptColor();
            TSynWheel* wheel = PlaceNewConceptCard(desktop, data);
            if (!wheel) continue;
            wheel->data().changed = true;
            wheel->fitToWords();
            ++laid;
        }
    }
    desktop.redrawMap();
    return laid;
}

}  // namespace qb
