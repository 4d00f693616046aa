// The road of one drop, played as a new user would on the real main window; for a look by eye,
// not part of the test run. Under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tools/shots/populate_shots OUTPUT_DIR
// Keys go through xdotool when it can reach the window (else the same commands are triggered).
// Saves populate-1-items.png, populate-2-saved.png, populate-3-cleared.png,
// populate-4-explode.png and populate-5-flip-<side>.png.

#include "cards/Desktop.h"
#include "desktop/DesktopDrop.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/Words.h"
#include "items/ItemCard.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "store/Schema.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace qb;

namespace {

bool haveXdotool() { return !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(); }

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Runs events until done() holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    while (!p.waitForFinished(20)) QCoreApplication::processEvents();
}

// A key chord as the user types it; falls back to the command when nothing happened.
void press(TBillBoard& window, const QString& chord, const char* command,
           const std::function<bool()>& happened)
{
    if (haveXdotool()) {
        xdotool({QStringLiteral("windowfocus"), QString::number(window.winId())});
        xdotool({QStringLiteral("key"), chord});
        if (waitFor(happened)) {
            std::printf("%s: typed\n", qPrintable(chord));
            return;
        }
    }
    window.commands().trigger(QString::fromLatin1(command));
    std::printf("%s: triggered %s\n", qPrintable(chord), command);
}

void typeText(QWidget* editor, const QString& text)
{
    if (haveXdotool() && QApplication::focusWidget() == editor) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), text});
        if (waitFor(
                [&] { return static_cast<QPlainTextEdit*>(editor)->toPlainText().contains(text); }))
            return;
    }
    static_cast<QPlainTextEdit*>(editor)->insertPlainText(text);
}

void clickAt(QWidget* w, QPoint local)
{
    const QPoint global = w->mapToGlobal(local);
    xdotool(
        {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

void save(QWidget* w, const QString& out, const QString& name)
{
    settle(150);
    w->grab().save(QDir(out).filePath(name));
    std::printf("saved %s\n", qPrintable(name));
}

QString sideName(ContentsTypes side)
{
    switch (side) {
    case ctxKeys: return QStringLiteral("keywords");
    case ctxUrls: return QStringLiteral("projects");
    case ctxText: return QStringLiteral("text");
    case ctxCombined: return QStringLiteral("combined");
    case ctxImage: return QStringLiteral("picture");
    default: return QStringLiteral("none");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QTemporaryDir store;
    Session& s = session();
    s.setDir(store.path());
    QString error;
    if (!schema::createEmptyStore(store.path(), &error) || !s.store.open(store.path(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // The word as the new-word dialog would make it.
    const int garden = CreateWord(QStringLiteral("garden"));

    TBillBoard window;
    window.resize(1100, 760);
    window.show();
    window.activateWindow();
    settle(300);
    TDesktop& desktop = *window.desktop();

    DragPayload word;
    word.source = DragPayload::Source::DictionaryWord;
    word.wordNo = garden;
    word.word = QStringLiteral("garden");

    const QStringList texts = {
        QStringLiteral("Sow the tomatoes indoors in March; plant them out after the last frost."),
        QStringLiteral("Beans on poles along the north fence, marigolds between the rows.")};
    QList<TItem*> made;
    for (const QString& text : texts) {
        const int before = int(desktop.cardsOf<TItem>().size());
        press(window, QStringLiteral("shift+Insert"), cmd::NewBlankItem,
              [&] { return int(desktop.cardsOf<TItem>().size()) > before; });
        TItem* card = desktop.cardsOf<TItem>().last();
        made << card;
        typeText(card->textEditor(), text);
        // The word dropped on the card's keyword side.
        card->DropOn(ItemPart::Keys, word, QPoint(40, 40));
        settle(100);
    }
    if (made.size() == 2) {
        made[1]->move(made[0]->pos() + QPoint(260, 40));
        made[1]->syncFromGeometry();
    }
    save(&window, out, QStringLiteral("populate-1-items.png"));

    press(window, QStringLiteral("ctrl+s"), cmd::UpdateChanges, [&] {
        for (TItem* c : desktop.cardsOf<TItem>())
            if (c->data().changed) return false;
        return true;
    });
    sql::Statement count(s.store.db(),
                         QStringLiteral("SELECT COUNT(*) FROM ITEMKEYS WHERE WNo = ?1"));
    count.bind(1, garden);
    count.next();
    std::printf("items stored with the keyword: %d\n", count.intValue(0));
    save(&window, out, QStringLiteral("populate-2-saved.png"));

    window.commands().trigger(QString::fromLatin1(cmd::ClearDesktop));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    save(&window, out, QStringLiteral("populate-3-cleared.png"));

    SetExplodeMode(int(ExplodeMode::On));
    window.setExplodeIndicator(int(ExplodeMode::On));
    FormDragDrop(desktop, word, QPoint(120, 60));
    std::printf("after the drop: %d concept card(s), %d item card(s)\n",
                int(desktop.cardsOfKind(CardKind::Concept).size()),
                int(desktop.cardsOf<TItem>().size()));
    save(&window, out, QStringLiteral("populate-4-explode.png"));

    // The first item card flipped through its sides by clicks on its frame.
    QList<TItem*> cards = desktop.cardsOf<TItem>();
    if (!cards.isEmpty()) {
        TItem* card = cards.first();
        card->raise();
        for (int i = 0; i < 4; ++i) {
            const ContentsTypes before = card->contentsUp();
            if (haveXdotool()) {
                // Clicks as a user makes them: apart, so that two are not one double click.
                settle(QApplication::doubleClickInterval() + 150);
                xdotool({QStringLiteral("windowfocus"), QString::number(window.winId())});
                clickAt(card, QPoint(card->width() / 2, 6));
                waitFor([&] { return card->contentsUp() != before; }, 1500);
            }
            if (card->contentsUp() == before)
                card->setContentsUp(FlipSide(before, false, card->item().hasPicture));
            std::printf("flip %d: %s -> %s\n", i + 1, qPrintable(sideName(before)),
                        qPrintable(sideName(card->contentsUp())));
            const QRect area = card->geometry().adjusted(-20, -20, 20, 20);
            settle(100);
            desktop.surface()->grab(area).save(
                QDir(out).filePath(QStringLiteral("populate-5-flip-%1-%2.png")
                                       .arg(i + 1)
                                       .arg(sideName(card->contentsUp()))));
        }
    }
    save(&window, out, QStringLiteral("populate-6-desktop.png"));
    s.store.close();
    return 0;
}
