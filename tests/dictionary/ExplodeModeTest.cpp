#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include "DictionaryUiFixture.h"
#include "dictionary/ExplodeMode.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"

using namespace qb;

namespace {

class ExplodeModeKeys : public test::DictionaryUi {
protected:
    // Which of the three entries carries the mark, as "Off", "On", "Maximum" or a list of them.
    QString marked()
    {
        QStringList on;
        const std::pair<const char*, const char*> entries[] = {
            {cmd::ExplodeOff, "Off"}, {cmd::ExplodeOn, "On"}, {cmd::ExplodeMaximum, "Maximum"}};
        for (const auto& [command, label] : entries)
            if (window->commands().action(QString::fromLatin1(command))->isChecked())
                on << QString::fromLatin1(label);
        return on.join(QLatin1Char(','));
    }
    QString indicator() { return window->toolBar()->explodeText(); }
    void press(QWidget* w, const QString& text)
    {
        Qt::Key key = text == "+" ? Qt::Key_Plus : Qt::Key_Minus;
        QTest::keyClick(w, key);
    }
};

TEST_F(ExplodeModeKeys, F10StepsOnMaximumOffAndBackWithMarksAndIndicator)
{
    EXPECT_EQ(explodeMode(), ExplodeMode::On);
    EXPECT_EQ(marked(), QStringLiteral("On"));
    EXPECT_EQ(indicator(), QStringLiteral("ON"));
    const QStringList marks = {"Maximum", "Off", "On"};
    const QStringList texts = {"MAX", "OFF", "ON"};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(window.get(), Qt::Key_F10);
        EXPECT_EQ(marked(), marks[i]);
        EXPECT_EQ(indicator(), texts[i]);
        // The logo panel takes the focus afterwards.
        EXPECT_TRUE(window->logoPanel()->hasFocus());
    }
    EXPECT_EQ(session().settings.itemExpansionOnDrop, 0);
    // A click on the indicator is the same step.
    QTest::mouseClick(window->toolBar()->explodeIndicator(), Qt::LeftButton);
    EXPECT_EQ(marked(), QStringLiteral("Maximum"));
}

TEST_F(ExplodeModeKeys, PlusAndMinusOnTheDesktopButNotInATextField)
{
    QWidget* logo = window->logoPanel();
    logo->setFocus();
    press(logo, "+");
    EXPECT_EQ(marked(), QStringLiteral("Maximum"));
    press(logo, "+");  // Maximum already: back to On
    EXPECT_EQ(marked(), QStringLiteral("On"));
    press(logo, "-");
    EXPECT_EQ(marked(), QStringLiteral("Off"));
    EXPECT_EQ(indicator(), QStringLiteral("OFF"));
    press(logo, "+");
    EXPECT_EQ(marked(), QStringLiteral("Maximum"));
    // The numeric pad's keys too.
    QTest::keyClick(logo, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(marked(), QStringLiteral("Off"));

    QPlainTextEdit* box = window->dateStampBox();
    box->setFocus();
    QString before = box->toPlainText();
    press(box, "+");
    EXPECT_EQ(marked(), QStringLiteral("Off"));
    EXPECT_EQ(box->toPlainText().size(), before.size() + 1);
    EXPECT_TRUE(box->toPlainText().contains(QLatin1Char('+')));
}

TEST_F(ExplodeModeKeys, MenuEntriesAreRadioMarksAndThePicturesFollowTheSetting)
{
    window->commands().action(QString::fromLatin1(cmd::ExplodeMaximum))->trigger();
    EXPECT_EQ(marked(), QStringLiteral("Maximum"));
    window->commands().action(QString::fromLatin1(cmd::ExplodeOff))->trigger();
    EXPECT_EQ(marked(), QStringLiteral("Off"));
    EXPECT_EQ(session().settings.itemExpansionOnDrop, -1);

    session().settings.plusMinusExplodeSign = true;
    window->commands().action(QString::fromLatin1(cmd::ExplodeOff))->trigger();
    EXPECT_TRUE(window->toolBar()->minusShown());
    EXPECT_EQ(indicator(), QString());
    window->commands().action(QString::fromLatin1(cmd::ExplodeOn))->trigger();
    EXPECT_FALSE(window->toolBar()->minusShown());
    EXPECT_FALSE(window->toolBar()->plusShown());

    // Settings read again (a start, "Edit INI-file"): the menu shows them when it opens.
    session().settings.itemExpansionOnDrop = 1;
    QMenu* options = nullptr;
    for (QAction* a : window->menuBar()->actions())
        if (a->text() == QStringLiteral("&Options")) options = a->menu();
    ASSERT_NE(options, nullptr);
    QMenu* explode = nullptr;
    for (QAction* a : options->actions())
        if (a->text() == QStringLiteral("&Concept Explode Mode")) explode = a->menu();
    ASSERT_NE(explode, nullptr);
    Q_EMIT explode->aboutToShow();
    EXPECT_EQ(marked(), QStringLiteral("Maximum"));
    EXPECT_TRUE(window->toolBar()->plusShown());
}

}  // namespace
