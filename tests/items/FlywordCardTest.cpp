#include "ItemCardFixture.h"

#include "cards/CardPartsPanel.h"
#include "cards/DragPayload.h"
#include "desktop/FlyWord.h"
#include "items/CaptureCommands.h"
#include "items/SelectConceptDialog.h"
#include "shell/ClipboardCommands.h"
#include "support/ModalDriver.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>
#include <QPushButton>

using namespace qb;

namespace {

// The payload of the drag of the moment, taken when its QDrag is made on the watched widget.
struct ChildWatch : QObject {
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::ChildAdded) seen = CurrentDrag();
        return false;
    }
    DragPayload seen;
};

class FlywordCard : public test::ItemCardFixture {
protected:
    void press(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
    {
        const QPoint global = w->mapToGlobal(local);
        QMouseEvent e(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // A left press on the card's border, a move by `drift` and the release there.
    void dragBorder(TFlyWord* fly, QPoint drift)
    {
        const QPoint at = fly->mapToGlobal(QPoint(2, 50));
        send(fly, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        clock.advanceMs(100);
        send(fly, QEvent::MouseMove, at + drift, Qt::NoButton, Qt::LeftButton);
        send(fly, QEvent::MouseButtonRelease, at + drift, Qt::LeftButton, Qt::NoButton);
    }
    void send(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button,
              Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, w->mapFromGlobal(QPointF(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
};

TEST_F(FlywordCard, AClickTogglesEditModeADragMovesAndTheCardFitsItsWholeText)
{
    TFlyWord* fly =
        CreateFlyword(QPoint(400, 64), QStringLiteral("  Hello \u0416\u0443\u043A  "), -45300.5L);
    ASSERT_TRUE(fly);
    EXPECT_EQ(fly->pos(), desktop->toDesktop(QPoint(300, 5)));
    EXPECT_EQ(fly->field()->text(), QStringLiteral("hello \u0436\u0443\u043A"));
    EXPECT_FALSE(fly->editing());

    // Five pixels across and five down are still a click.
    dragBorder(fly, QPoint(5, 5));
    EXPECT_TRUE(fly->editing());
    dragBorder(fly, {});
    EXPECT_FALSE(fly->editing());
    const QPoint before = fly->pos();
    dragBorder(fly, QPoint(0, 6));
    EXPECT_FALSE(fly->editing());
    EXPECT_EQ(fly->pos(), before + QPoint(0, 6));
    // A press on the focus mark switches too.
    press(fly->focusMark(), QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(fly->editing());

    // A long selection keeps 50 characters, and the card is wide enough to show them all.
    QString longText;
    for (int i = 0; i < 40; ++i) longText += QStringLiteral("W\U0001F600rds ");
    TFlyWord* wide = CreateFlyword(QPoint(400, 64), longText, -45300.75L);
    EXPECT_EQ(wide->pos(), desktop->toDesktop(QPoint(310, 5)));
    const QString kept = wide->field()->text();
    EXPECT_EQ(kept.toUcs4().size(), 50);
    EXPECT_TRUE(kept.startsWith(QStringLiteral("w\U0001F600rd")));
    EXPECT_GE(wide->field()->width(), wide->field()->fontMetrics().horizontalAdvance(kept) + 8);

    // An empty flyword opens for editing.
    TFlyWord* empty = SetUpFlyWordClick();
    EXPECT_TRUE(empty->editing());
    EXPECT_TRUE(empty->field()->text().isEmpty());
}

TEST_F(FlywordCard, ADraggedFlywordDroppedOnAnItemCardJoinsItsText)
{
    TItem* card = makeCard(-45400.5L, QStringLiteral("rose"), QPoint(400, 300));
    TFlyWord* fly =
        CreateFlyword(QPoint(400, 64), QStringLiteral("\u03A1\u03CC\u03B4\u03BF"), -45300.5L);
    auto* text = card->findChild<QPlainTextEdit*>(QStringLiteral("itemText"));
    ASSERT_TRUE(text);
    // The drag starts (its QDrag is made on the field) carrying the flyword.
    ChildWatch watch;
    fly->field()->installEventFilter(&watch);
    press(fly->field(), QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
    press(fly->field(), QEvent::MouseMove, QPoint(40, 10), Qt::NoButton, Qt::LeftButton);
    const DragPayload carried = watch.seen;
    QMimeData mime;
    mime.setData(DragPayload::mimeType(), carried.encode());
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &drop);
    EXPECT_EQ(carried.source, DragPayload::Source::Flyword);
    EXPECT_EQ(carried.word, QStringLiteral("\u03C1\u03CC\u03B4\u03BF"));
    EXPECT_EQ(card->item().text, QStringLiteral("rose \u03C1\u03CC\u03B4\u03BF"));
    EXPECT_FALSE(fly->editing()) << "a drag is no click";
}

}  // namespace
