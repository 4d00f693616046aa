// A session of a new user, played in the real program window under a display (Xvfb):
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tools/shots/dictionary_session STORE_DIR
//   SHOTS_DIR
// STORE_DIR must not exist yet (or be empty). The program lays a fresh store down, opens a
// dictionary window with Ctrl+T, adds words with Insert, drops a word on the desktop (the drop
// event the drag loop delivers), drops a second word on the new concept card, saves with Ctrl+S,
// uses the locate dialog in incremental mode, takes pictures and closes the program the orderly
// way. The tables stay in STORE_DIR for a look with sqlite3. Exit status 0 when every step did
// what it should.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "cards/Desktop.h"
#include "cards/DragPayload.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "floor/Messenger.h"
#include "items/Commit.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/DesktopProgram.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"
#include "support/ModalDriver.h"

using namespace qb;

namespace {

// Says what the program would show and answers with the default button.
class PrintingMessenger : public Messenger {
public:
    MessageReply showInfo(const MessageRequest& r) override
    {
        std::printf("  [message] %s %s\n", qPrintable(r.message), qPrintable(r.code));
        MessageReply reply;
        reply.answer = r.answer;
        reply.button = r.kind == kQuestionYes
                           ? MessageButton::Yes
                           : (r.kind == kQuestionNo ? MessageButton::No : MessageButton::Ok);
        return reply;
    }
    void plainMessage(const QString& text) override
    {
        std::printf("  [plain] %s\n", qPrintable(text));
    }
    void beep() override {}
    void processEvents() override { QCoreApplication::processEvents(); }
};

int failures = 0;
void check(bool ok, const char* what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

void settle(int ms = 150)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void shoot(QWidget* w, const QString& dir, const QString& name)
{
    settle();
    QString file = QDir(dir).filePath(name);
    check(w->grab().save(file), qPrintable(QStringLiteral("picture ") + file));
}

void dropOn(QWidget* target, QPoint pos, const DragPayload& payload)
{
    QMimeData mime;
    mime.setData(DragPayload::mimeType(), payload.encode());
    CurrentDrag() = payload;
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    CurrentDrag() = DragPayload();
}

void type(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

QStringList shown(TDict* w)
{
    QStringList out;
    for (int i = 0; i < w->grid()->model()->rowCount(); ++i)
        out << w->grid()->model()->index(i, 0).data().toString();
    return out;
}

void select(TDict* w, const QString& word)
{
    int row = shown(w).indexOf(word);
    if (row >= 0) w->grid()->setCurrentIndex(w->grid()->model()->index(row, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 3) {
        std::fprintf(stderr, "usage: dictionary_session STORE_DIR SHOTS_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString shots = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(shots);
    PrintingMessenger messenger;
    session().setMessenger(&messenger);

    DesktopStart start =
        StartDesktopProgram({QStringLiteral("quillbox"), QStringLiteral("--dir"), dir});
    if (!start.window) {
        std::fprintf(stderr, "the program did not start (%d)\n", start.exitCode);
        return 1;
    }
    TBillBoard* window = start.window.get();
    window->resize(1180, 860);
    window->show();
    window->FormActivate();
    window->activateWindow();
    check(QTest::qWaitForWindowActive(window), "the main window is active");
    settle(300);
    TDesktop* desktop = window->desktop();
    // The commit of the items core stands behind Update Changes until the item cards bind it.
    if (!window->commands().isBound(QString::fromLatin1(cmd::UpdateChanges))) {
        session().hooks.updateItems = [desktop] { CommitCards(desktop->cards()); };
        window->commands().bind(QString::fromLatin1(cmd::UpdateChanges),
                                [] { session().hooks.commit(); });
        window->commands()
            .action(QString::fromLatin1(cmd::UpdateChanges))
            ->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
        std::printf("  (Update Changes bound to the commit of the items core for this session)\n");
    }

    std::printf("Ctrl+T\n");
    QTest::keyClick(window, Qt::Key_T, Qt::ControlModifier);
    QList<TDict*> windows = desktop->cardsOf<TDict>();
    check(windows.size() == 1, "a dictionary window opened");
    if (windows.isEmpty()) return 1;
    TDict* dict = windows.first();
    dict->move(desktop->toDesktop(QPoint(640, 30)));
    dict->focusGrid();

    const QStringList words = {"river",  "stream", "brook",  QStringLiteral("Fluß"),
                               "o'neil", "delta",  "estuary"};
    for (const QString& word : words) {
        test::ModalDriver driver;
        driver.then([&](QWidget* modal) {
            auto* dialog = qobject_cast<TNewWord*>(modal);
            if (!dialog) return;
            type(dialog->input(), word);
            // Enter would run the similarity test first; the user clicks OK.
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        dict->focusGrid();
        QTest::keyClick(dict->grid(), Qt::Key_Insert);
        settle(50);
        if (driver.handled() != 1)
            std::printf("  no dialog for %s (focus on %s, active %s)\n", qPrintable(word),
                        QApplication::focusWidget()
                            ? QApplication::focusWidget()->metaObject()->className()
                            : "nothing",
                        QApplication::activeWindow()
                            ? QApplication::activeWindow()->metaObject()->className()
                            : "none");
    }
    check(shown(dict).size() == words.size(), "seven words added with Insert");
    check(shown(dict).value(0) == QStringLiteral("estuary"),
          "the newest word on top in time stamp order");
    shoot(dict, shots, QStringLiteral("dictui-dictionary-timestamp.png"));

    QWidget* header = dict->grid()->horizontalHeader()->viewport();
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, QPoint(12, 6));
    check(dict->browser().order() == DictOrder::Alphabetical,
          "three title clicks: alphabetical order");
    shoot(dict, shots, QStringLiteral("dictui-dictionary-alphabetical.png"));

    std::printf("drag river onto the desktop\n");
    select(dict, "river");
    dropOn(desktop->surface(), desktop->toDesktop(QPoint(160, 200)), dict->dragPayload());
    settle();
    QList<TSynWheel*> cards = desktop->cardsOf<TSynWheel>();
    check(cards.size() == 1, "a new concept card for river");
    if (cards.isEmpty()) return 1;
    TSynWheel* card = cards.first();
    std::printf("drop stream on the card\n");
    select(dict, "stream");
    dropOn(card->list()->viewport(), QPoint(20, 12), dict->dragPayload());
    select(dict, "brook");
    dropOn(card->list()->viewport(), QPoint(20, 12), dict->dragPayload());
    check(card->list()->count() == 3, "the card holds river, stream and brook");
    card->resize(card->width(), 3 * card->rowHeight() + TSynWheel::kFrameHeight);
    std::printf("Ctrl+S\n");
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    settle();
    check(!card->data().changed, "the card is saved");
    card->list()->setCurrentRow(1);
    shoot(card, shots, QStringLiteral("dictui-concept-card.png"));

    std::printf("type \"br\" on the desktop: the incremental locate\n");
    bool hitShown = false;
    int stage = 0;
    QTimer poll;
    poll.setInterval(40);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TLocateInList*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        if (stage == 0) {
            // The letter typed on the desktop is there; the second one starts the pause, and the
            // dialog's own timer makes the jump.
            stage = 1;
            std::printf("  the dialog opened with \"%s\"\n",
                        qPrintable(dialog->input()->currentText()));
            QTest::keyClick(dialog->input()->lineEdit(), Qt::Key_R);
            std::printf("  typed r: \"%s\", pause %s\n", qPrintable(dialog->input()->currentText()),
                        dialog->typingTimer()->isActive() ? "running" : "not running");
        } else if (stage == 1 && !dialog->typingTimer()->isActive() &&
                   !dialog->hitReport()->text().isEmpty()) {
            // Back after the jump (the window's search opens the same dialog again at once).
            stage = 3;
            hitShown = dialog->hitReport()->text() == QStringLiteral(" brook");
            shoot(dialog, shots, QStringLiteral("dictui-locate-incremental.png"));
            dialog->closeButton()->click();
        }
    });
    poll.start();
    dict->focusGrid();
    QTest::keyClick(dict->grid(), Qt::Key_B);
    poll.stop();
    check(hitShown, "the dialog came back standing on brook");
    check(dict->grid()->currentIndex().data().toString() == QStringLiteral("brook"),
          "the window is on brook");

    shoot(window, shots, QStringLiteral("dictui-desktop.png"));
    std::printf("close the program\n");
    window->close();
    settle();
    start.window.reset();
    session().store.close();
    session().setMessenger(nullptr);
    std::printf("store: %s\n%d failure(s)\n", qPrintable(dir), failures);
    return failures == 0 ? 0 : 1;
}
