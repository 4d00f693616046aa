#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolButton>

#include "floor/Messages.h"
#include "session/Session.h"
#include "shell/HelpWindow.h"
#include "shell/ShowInfoDialog.h"
#include "shell/WidgetMessenger.h"
#include "support/ModalDriver.h"
#include "support/StoreFixture.h"

using namespace qb;

namespace {

// The information window itself, with the program's messenger behind ShowInfo.
class ShowInfoWindow : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        session().setMessenger(&widgets);
    }
    void TearDown() override
    {
        HelpWindow::closeAll();
        session().setMessenger(&messenger);
        StoreFixture::TearDown();
    }

    MessageRequest request(int kind, const QString& text = QStringLiteral("Something to say"))
    {
        MessageRequest r;
        r.kind = kind;
        r.message = text;
        r.helpTopic = 60030;
        return r;
    }

    QStringList visibleButtons(TfrmQBShowInfo& d)
    {
        QStringList out;
        for (MessageButton b : {MessageButton::Ok, MessageButton::Cancel, MessageButton::Yes,
                                MessageButton::No, MessageButton::CloseAll})
            if (d.button(b)->isVisibleTo(&d)) out << d.button(b)->text();
        return out;
    }

    QPushButton* defaultButton(TfrmQBShowInfo& d)
    {
        for (MessageButton b : {MessageButton::Ok, MessageButton::Cancel, MessageButton::Yes,
                                MessageButton::No, MessageButton::CloseAll})
            if (d.button(b)->isVisibleTo(&d) && d.button(b)->isDefault()) return d.button(b);
        return nullptr;
    }

    WidgetMessenger widgets;
    test::ModalDriver driver;
};

TfrmQBShowInfo* asInfo(QWidget* w) { return qobject_cast<TfrmQBShowInfo*>(w); }

}  // namespace

TEST_F(ShowInfoWindow, EachKindHasItsTitleButtonsAndDefault)
{
    struct Case {
        int kind;
        const char* title;
        QStringList buttons;
        QString defaultCaption;
        bool answerField;
    };
    const std::vector<Case> cases = {
        {kInformation, "INFORMATION", {"OK"}, "OK", false},
        {kError, "ERROR", {"OK"}, "OK", false},
        {kSystemError, "SYSTEM ERROR", {"OK", "Close all"}, "OK", false},
        {kQuestionYes, "QUESTION", {"&Yes", "&No"}, "&Yes", false},
        {kQuestionNo, "QUESTION", {"&Yes", "&No"}, "&No", false},
        {kInputRequest, "INPUT REQUEST", {"OK", "Cancel"}, "OK", true},
        {kAddKeyword, "ADD KEYWORD", {"OK", "Cancel"}, "OK", true},
    };
    TfrmQBShowInfo d;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        d.prepare(request(c.kind));
        EXPECT_EQ(d.windowTitle(), QString::fromLatin1(c.title));
        EXPECT_EQ(visibleButtons(d), c.buttons);
        ASSERT_NE(defaultButton(d), nullptr);
        EXPECT_EQ(defaultButton(d)->text(), c.defaultCaption);
        EXPECT_EQ(d.answerField()->isVisibleTo(&d), c.answerField);
        EXPECT_EQ(d.eraseButton()->isVisibleTo(&d), c.answerField);
        // Errors stand out in bold red; everything else is plain.
        const bool bold = c.kind == kError || c.kind == kSystemError;
        EXPECT_EQ(d.textArea()->font().bold(), bold);
        EXPECT_EQ(d.textArea()->palette().color(QPalette::Text) == QColor(Qt::red), bold);
    }
    // With No as the default, the default comes first in the row.
    d.prepare(request(kQuestionNo));
    EXPECT_LT(d.button(MessageButton::No)->x(), d.button(MessageButton::Yes)->x());
    d.prepare(request(kQuestionYes));
    EXPECT_LT(d.button(MessageButton::Yes)->x(), d.button(MessageButton::No)->x());
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(ShowInfoWindow, ButtonsGiveTheirAnswersThroughShowInfo)
{
    auto click = [](MessageButton b) {
        return [b](QWidget* w) {
            ASSERT_TRUE(asInfo(w));
            asInfo(w)->button(b)->click();
        };
    };
    driver.then(click(MessageButton::Yes));
    EXPECT_TRUE(AskNoDefault(QStringLiteral("Quit?"), 0));
    driver.then(click(MessageButton::No));
    EXPECT_FALSE(AskYesDefault(QStringLiteral("Quit?"), 0));
    // Closing the window counts as No.
    driver.then([](QWidget* w) { w->close(); });
    EXPECT_FALSE(AskYesDefault(QStringLiteral("Quit?"), 0));
    driver.then(click(MessageButton::CloseAll));
    EXPECT_FALSE(ShowInfo(QStringLiteral("Broken"), QStringLiteral("qb1"), kSystemError, 40060));
    EXPECT_TRUE(session().flags.stopped()) << "Close all stops the session";
    EXPECT_EQ(driver.handled(), 4);
    EXPECT_TRUE(driver.strays.isEmpty());
}

TEST_F(ShowInfoWindow, AnswerFieldStartsTrimmedWithCaretAtEndAndFocus)
{
    QString answer = QStringLiteral("  garden  ");
    driver.then([](QWidget* w) {
        TfrmQBShowInfo* d = asInfo(w);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->answerField()->text(), QStringLiteral("garden"));
        EXPECT_EQ(d->focusWidget(), d->answerField());
        EXPECT_EQ(d->answerField()->cursorPosition(), 6);
        EXPECT_FALSE(d->answerField()->hasSelectedText());
        d->answerField()->setText(QStringLiteral("  garden party "));
        d->button(MessageButton::Ok)->click();
    });
    EXPECT_TRUE(ShowInfo(QStringLiteral("Which word?"), QString(), kInputRequest, answer, 0));
    EXPECT_EQ(answer, QStringLiteral("garden party"));

    // Cancel leaves the caller's answer alone.
    QString kept = QStringLiteral("kept");
    driver.then([](QWidget* w) {
        asInfo(w)->answerField()->setText(QStringLiteral("other"));
        asInfo(w)->button(MessageButton::Cancel)->click();
    });
    EXPECT_FALSE(ShowInfo(QStringLiteral("Which word?"), QString(), kAddKeyword, kept, 0));
    EXPECT_EQ(kept, QStringLiteral("kept"));
}

TEST_F(ShowInfoWindow, OkWithEmptyAnswerCopiesTheSelectedMessageAndStaysOpen)
{
    // Long enough to be wrapped, so the selection runs across a break that wrapping added.
    const QString message = QStringLiteral(
        "Choose a keyword for the new item from this sentence about the distant lighthouse keeper "
        "and his cat");
    QString answer;
    driver.then([&](QWidget* w) {
        TfrmQBShowInfo* d = asInfo(w);
        ASSERT_TRUE(d);
        ASSERT_GT(d->shownLines().size(), 1);
        const QString shown = d->textArea()->toPlainText();
        const int from = shown.indexOf(QStringLiteral("lighthouse"));
        const int to = shown.indexOf(QStringLiteral("keeper")) + 6;
        ASSERT_GE(from, 0);
        QTextCursor c = d->textArea()->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        d->textArea()->setTextCursor(c);
        d->button(MessageButton::Ok)->click();
        EXPECT_TRUE(d->isVisible()) << "the first OK only takes the selection";
        EXPECT_EQ(d->answerField()->text(), QStringLiteral("lighthouse keeper"));
        d->button(MessageButton::Ok)->click();
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_TRUE(ShowInfo(message, QString(), kInputRequest, answer, 0));
    EXPECT_EQ(answer, QStringLiteral("lighthouse keeper"));

    // Without a selection, OK with an empty field closes and answers empty.
    QString empty = QStringLiteral("x");
    driver.then([](QWidget* w) {
        asInfo(w)->answerField()->clear();
        asInfo(w)->button(MessageButton::Ok)->click();
    });
    EXPECT_TRUE(ShowInfo(QStringLiteral("Name?"), QString(), kInputRequest, empty, 0));
    EXPECT_EQ(empty, QString());
}

TEST_F(ShowInfoWindow, SelectionAcrossTheMessagesOwnLineBreakBecomesABlank)
{
    TfrmQBShowInfo d;
    MessageRequest r = request(kInputRequest, QStringLiteral("first line\r\nsecond line"));
    d.prepare(r);
    QTextCursor c = d.textArea()->textCursor();
    c.setPosition(6);
    c.setPosition(d.textArea()->toPlainText().size() - 5, QTextCursor::KeepAnchor);
    d.textArea()->setTextCursor(c);
    EXPECT_EQ(d.selectedMessageText(), QStringLiteral("line second"));
}

TEST_F(ShowInfoWindow, EraseButtonRemovesTheLastCharacterOrOnlyTheSelectionMark)
{
    TfrmQBShowInfo d;
    MessageRequest r = request(kInputRequest);
    r.answer = QStringLiteral("abc");
    d.prepare(r);
    d.eraseButton()->click();
    EXPECT_EQ(d.answerField()->text(), QStringLiteral("ab"));
    EXPECT_EQ(d.answerField()->cursorPosition(), 2);
    d.answerField()->selectAll();
    d.eraseButton()->click();
    EXPECT_EQ(d.answerField()->text(), QStringLiteral("ab"))
        << "a selection is unmarked, not deleted";
    EXPECT_FALSE(d.answerField()->hasSelectedText());
    d.eraseButton()->click();
    d.eraseButton()->click();
    d.eraseButton()->click();  // nothing left: stays empty
    EXPECT_EQ(d.answerField()->text(), QString());
    EXPECT_EQ(d.eraseButton()->focusPolicy(), Qt::NoFocus)
        << "pressing it must not take the field's selection";
}

TEST_F(ShowInfoWindow, LongMessagesWrapAndTheWindowGrowsWithoutCuttingText)
{
    QString words;
    for (int i = 0; i < 60; ++i) words += QStringLiteral("word%1 ").arg(i);
    TfrmQBShowInfo d;
    d.prepare(request(kInformation, QStringLiteral("Short")));
    const int shortHeight = d.height();
    d.show();

    for (int kind : {kInformation, kError}) {
        SCOPED_TRACE(kind);
        d.prepare(request(kind, words));
        const int columns = kind == kError ? 50 : 64;
        const QStringList lines = d.shownLines();
        ASSERT_GT(lines.size(), 5);
        for (const QString& line : lines) EXPECT_LE(line.size(), columns) << line.toStdString();
        EXPECT_EQ(lines.join(QString()), words) << "wrapping only breaks lines, it drops nothing";
        EXPECT_GT(d.height(), shortHeight);
        // Every line fits: the text needs no scrolling and no line is wider than the area.
        QPlainTextEdit* area = d.textArea();
        EXPECT_GE(area->height(), 16 * int(lines.size()) + 8);
        const QFontMetrics fm(area->font());
        EXPECT_GE(area->height(), fm.lineSpacing() * int(lines.size()));
        for (const QString& line : lines)
            EXPECT_LE(fm.horizontalAdvance(line), area->viewport()->width());
        EXPECT_EQ(area->verticalScrollBar()->maximum(), 0) << "every line is in view";
        EXPECT_LE(area->geometry().bottom(), d.height());
        EXPECT_LE(area->geometry().right(), d.width());
    }
}

TEST_F(ShowInfoWindow, CodeIsShownRightAlignedForSystemErrorsAndHelpOpensItsTopic)
{
    TfrmQBShowInfo d;
    MessageRequest r = request(kError);
    r.code = QStringLiteral("qb748");
    r.showCode = false;
    d.prepare(r);
    EXPECT_FALSE(d.codeLabel()->isVisibleTo(&d));

    driver.then([](QWidget* w) {
        TfrmQBShowInfo* info = asInfo(w);
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->codeLabel()->isVisible());
        EXPECT_EQ(info->codeLabel()->text(), QStringLiteral("qb1050"));
        EXPECT_TRUE(info->codeLabel()->alignment() & Qt::AlignRight);
        EXPECT_EQ(info->codeLabel()->geometry().right() + 1, info->width() - 72);
        ASSERT_TRUE(info->helpButton()->isVisible());
        info->helpButton()->click();
        auto helps = info->findChildren<HelpWindow*>();
        ASSERT_EQ(helps.size(), 1)
            << "the help opens as a child of the modal window, so it can be used";
        EXPECT_TRUE(helps[0]->isVisible());
        EXPECT_EQ(helps[0]->browser()->source().fragment(), QStringLiteral("40060"));
        EXPECT_TRUE(helps[0]->browser()->toPlainText().contains(QStringLiteral("stops itself")));
        info->button(MessageButton::Ok)->click();
    });
    ShowInfo(QStringLiteral("Broken"), QStringLiteral("qb1050"), kSystemError, 40060);
    EXPECT_EQ(driver.handled(), 1);

    // A long text in the code's place is shown whole.
    r.code = QStringLiteral(
        "Error in database operations.  The QB Program was deactivated. Please close windows and "
        "exit");
    r.showCode = true;
    d.prepare(r);
    const QFontMetrics fm(d.codeLabel()->font());
    EXPECT_GE(d.codeLabel()->width(), fm.horizontalAdvance(r.code));
    EXPECT_GE(d.codeLabel()->x(), 0);

    // No help topic, no Help button.
    r.helpTopic = 0;
    d.prepare(r);
    EXPECT_FALSE(d.helpButton()->isVisibleTo(&d));
}

TEST_F(ShowInfoWindow, NoTextHidesTheTextArea)
{
    TfrmQBShowInfo d;
    d.prepare(request(kInputRequest, QStringLiteral("   ")));
    EXPECT_FALSE(d.textArea()->isVisibleTo(&d));
    EXPECT_TRUE(d.answerField()->isVisibleTo(&d));
    EXPECT_LT(d.answerField()->y(), 40);
}
