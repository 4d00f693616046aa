#include "DictionaryUiFixture.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QTest>

#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryTableModel.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/Words.h"
#include "items/Commit.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"

namespace qb::test {

void DictionaryUi::SetUp()
{
    StoreFixture::SetUp();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SeedConceptColors(7);
    qApp->setQuitOnLastWindowClosed(false);
    cwd_ = QDir::currentPath();
    window = std::make_unique<TBillBoard>();
    desktop = window->desktop();
    window->resize(1000, 760);
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    session().hooks.updateItems = [this] { CommitCards(desktop->cards()); };
    const QString save = QString::fromLatin1(cmd::UpdateChanges);
    if (!window->commands().isBound(save)) {
        window->commands().bind(save, [] { session().hooks.commit(); });
        window->commands().action(save)->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    }
}

void DictionaryUi::TearDown()
{
    TMyPopUpMenu::setTestAnswer(nullptr);
    window.reset();
    flushDeletes();
    QLocale::setDefault(QLocale::c());
    QDir::setCurrent(cwd_);
    StoreFixture::TearDown();
}

std::vector<int> DictionaryUi::addWords(const QStringList& words)
{
    std::vector<int> numbers;
    for (const QString& w : words) numbers.push_back(CreateWord(w));
    return numbers;
}

TDict* DictionaryUi::openWindow()
{
    int before = desktop->cardsOf<TDict>().size();
    window->commands().trigger(QString::fromLatin1(cmd::NewDictionaryWindow));
    QList<TDict*> all = desktop->cardsOf<TDict>();
    return all.size() > before ? all.last() : nullptr;
}

QStringList DictionaryUi::shownWords(TDict* w)
{
    QStringList out;
    QAbstractItemModel* m = w->grid()->model();
    for (int i = 0; i < m->rowCount(); ++i) out << m->index(i, 0).data().toString();
    return out;
}

QString DictionaryUi::shownTitle(TDict* w)
{
    return w->grid()->model()->headerData(0, Qt::Horizontal).toString();
}

QString DictionaryUi::selectedWord(TDict* w) { return w->grid()->currentIndex().data().toString(); }

void DictionaryUi::selectWord(TDict* w, const QString& word)
{
    QStringList words = shownWords(w);
    int row = words.indexOf(word);
    ASSERT_GE(row, 0) << word.toStdString();
    w->grid()->setCurrentIndex(w->grid()->model()->index(row, 0));
}

QList<TSynWheel*> DictionaryUi::conceptCards() const
{
    QList<TSynWheel*> shown;
    for (TSynWheel* c : desktop->cardsOf<TSynWheel>())
        if (!c->data().hidden) shown << c;
    return shown;
}

void DictionaryUi::drop(QWidget* target, QPoint pos, const DragPayload& payload)
{
    QMimeData mime;
    mime.setData(DragPayload::mimeType(), payload.encode());
    CurrentDrag() = payload;
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(pos), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    CurrentDrag() = DragPayload();
    // The desktop starts its run once the drag has ended.
    QApplication::processEvents();
}

void DictionaryUi::type(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, c.toLatin1());
            continue;
        }
        // The test library knows ASCII keys only; other letters come as the text of a key.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

void DictionaryUi::flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace qb::test
