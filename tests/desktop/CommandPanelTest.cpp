#include "cards/CommandPanel.h"

#include "cards/CommandRows.h"
#include "cards/RecorderPanel.h"
#include "cards/WavPlayer.h"
#include "platform/WavFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaDevices>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

using namespace qb;

namespace {

using Panel = TMyPopUpMenu;

void key(QWidget* w, int code, const QString& text)
{
    QKeyEvent e(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

void press(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint local = {3, 3})
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(local), QPointF(w->mapToGlobal(local)), button,
                  button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class CommandPanel : public test::StoreFixture {
protected:
    void TearDown() override
    {
        Panel::setTestAnswer(nullptr);
        Panel::setFileDialogAnswer(nullptr);
        Panel::setAudioDeviceProbe(nullptr);
        StoreFixture::TearDown();
    }

    // Opens the panel as a card does; `act` plays the user.
    QString open(const Panel::Request& request, std::function<void(Panel&)> act,
                 QPoint at = {300, 200})
    {
        Panel::setTestAnswer(std::move(act));
        return Panel::instance().choose(nullptr, at, request);
    }

    static Panel::Request itemRequest()
    {
        Panel::Request r;
        r.caption = QStringLiteral("Item created 26-12-08");
        r.rows = {QStringLiteral("GoText"), QStringLiteral("Keywords"), QStringLiteral("Projects"),
                  QStringLiteral("Drop"), QStringLiteral("Delete")};
        r.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Item"));
        return r;
    }
};

TEST(CommandRows, TheFixedRowsAndTheirKeys)
{
    const auto& rows = FixedCommandRows();
    ASSERT_EQ(rows.size(), 22u);
    EXPECT_EQ(rows.front().command, QStringLiteral("CombinedView"));
    EXPECT_EQ(rows.back().caption, QStringLiteral("&Find in Item texts"));
    EXPECT_EQ(CommandForKey(QLatin1Char('c')), QStringLiteral("TagSelect"));
    EXPECT_EQ(CommandForKey(QLatin1Char('S')), QStringLiteral("TagSelect"));
    EXPECT_EQ(CommandForKey(QLatin1Char('t')), QStringLiteral("Projects"));
    EXPECT_EQ(CommandForKey(QLatin1Char('y')), QStringLiteral("RemoveKey"));
    for (QChar none : QStringLiteral("BJMQZbjmqz1 "))
        EXPECT_TRUE(CommandForKey(none).isEmpty()) << QString(none).toStdString();
    // Every other letter has exactly one command.
    int letters = 0;
    for (char c = 'A'; c <= 'Z'; ++c) letters += CommandForKey(QLatin1Char(c)).isEmpty() ? 0 : 1;
    EXPECT_EQ(letters, 21);
    EXPECT_EQ(AcceleratorToRichText(QStringLiteral("Te&xt && more ")),
              QStringLiteral("Te<u>x</u>t&nbsp;&amp;&nbsp;more&nbsp;"));
    EXPECT_EQ(FilterToQt(QStringLiteral("*.wav sound files|*.wav")),
              QStringLiteral("*.wav sound files (*.wav)"));
    EXPECT_EQ(FilterToQt(QStringLiteral("Outline|*.qbo|All|*.*")),
              QStringLiteral("Outline (*.qbo);;All (*.*)"));
}

TEST_F(CommandPanel, ShowsTheCardsRowsInItsOrderWithCaptionAndHeight)
{
    QStringList shown;
    QString caption, deleteLabel;
    int height = 0;
    QList<int> tops;
    QString chosen = open(itemRequest(), [&](Panel& p) {
        shown = p.shownRows();
        caption = p.windowTitle();
        deleteLabel = p.rowLabel(QStringLiteral("Delete"));
        height = p.height();
        for (const QString& c : shown) tops << p.row(c)->mapTo(&p, QPoint(0, 0)).y();
        EXPECT_FALSE(p.row(QStringLiteral("Locate"))->isVisible());
        press(p.row(QStringLiteral("Projects")));
    });
    EXPECT_EQ(chosen, QStringLiteral("Projects"));
    EXPECT_EQ(shown, itemRequest().rows);
    EXPECT_EQ(caption, QStringLiteral("Item created 26-12-08"));
    EXPECT_EQ(deleteLabel, QStringLiteral("&Delete Item"));
    // Five rows of 26: the window is 5 x 26 + 24 high with its frame.
    EXPECT_EQ(height + 24, PanelHeight(5));
    EXPECT_EQ(tops, (QList<int>{0, 26, 52, 78, 104}));
    // Closing restored the label.
    EXPECT_EQ(Panel::instance().rowLabel(QStringLiteral("Delete")), QStringLiteral("&Delete"));
}

TEST_F(CommandPanel, CancelNeverHidesTheLettersOfARow)
{
    // One row with a long caption: Cancel once sat on top of it.
    Panel::Request r;
    r.caption = QStringLiteral("Projects");
    r.rows = {QStringLiteral("CollectDesk")};
    bool covered = true;
    bool inside = false;
    open(r, [&](Panel& p) {
        auto* row = qobject_cast<TCommandRow*>(p.row(r.rows.front()));
        ASSERT_NE(row, nullptr);
        const QRect letters = row->captionRect().translated(row->mapTo(&p, QPoint(0, 0)));
        covered = letters.intersects(p.cancelButton()->geometry());
        inside = p.rect().contains(p.cancelButton()->geometry());
    });
    EXPECT_FALSE(covered);
    EXPECT_TRUE(inside);
}

TEST_F(CommandPanel, AConceptCardsLabelsAreGoneAtTheNextItemOpening)
{
    Panel::Request conceptCard;
    conceptCard.rows = {QStringLiteral("TestWord"), QStringLiteral("Delete")};
    conceptCard.labels = {{QStringLiteral("Delete"), QStringLiteral("&Delete Concept")},
                          {QStringLiteral("TestWord"), QStringLiteral("Merge Words")}};
    QString seen;
    open(conceptCard, [&](Panel& p) { seen = p.rowLabel(QStringLiteral("TestWord")); });
    EXPECT_EQ(seen, QStringLiteral("Merge Words"));
    QString del, insert;
    open(itemRequest(), [&](Panel& p) {
        del = p.rowLabel(QStringLiteral("Delete"));
        insert = p.rowLabel(QStringLiteral("TestWord"));
    });
    EXPECT_EQ(del, QStringLiteral("&Delete Item"));
    EXPECT_EQ(insert, QStringLiteral("&Insert Word"));
}

TEST_F(CommandPanel, LabelAndButtonChooseTheirRowToo)
{
    EXPECT_EQ(open(itemRequest(),
                   [](Panel& p) { press(p.row(QStringLiteral("Drop"))->findChild<QLabel*>()); }),
              QStringLiteral("Drop"));
    EXPECT_EQ(open(itemRequest(),
                   [](Panel& p) {
                       auto* b =
                           static_cast<TCommandRow*>(p.row(QStringLiteral("GoText")))->button();
                       press(b);
                       // A button chooses on release, not on the press.
                       EXPECT_TRUE(p.isVisible());
                       QMouseEvent up(QEvent::MouseButtonRelease, QPointF(3, 3),
                                      QPointF(b->mapToGlobal(QPoint(3, 3))), Qt::LeftButton,
                                      Qt::NoButton, Qt::NoModifier);
                       QApplication::sendEvent(b, &up);
                   }),
              QStringLiteral("GoText"));
}

TEST_F(CommandPanel, LettersChooseTheirCommandShownOrNotOthersDoNothing)
{
    EXPECT_EQ(open(itemRequest(),
                   [](Panel& p) { key(p.cancelButton(), Qt::Key_K, QStringLiteral("k")); }),
              QStringLiteral("Keywords"));
    // H drops a project window although no row shows "&Hide Window".
    Panel::Request project;
    project.rows = {QStringLiteral("Locate"), QStringLiteral("ProjUpdate")};
    EXPECT_EQ(open(project, [](Panel& p) { key(&p, Qt::Key_H, QStringLiteral("H")); }),
              QStringLiteral("Drop"));

    bool stillOpen = false;
    QString chosen = open(itemRequest(), [&](Panel& p) {
        for (const char* letter : {"b", "J", "m", "Q", "z"})
            key(p.cancelButton(), Qt::Key_A, QString::fromLatin1(letter));
        stillOpen = p.isVisible();
        key(p.cancelButton(), Qt::Key_E, QStringLiteral("e"));
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(chosen, QStringLiteral("CallInflec"));
}

TEST_F(CommandPanel, EscCancelAndTheCloseBoxLeaveNoCommand)
{
    EXPECT_EQ(
        open(itemRequest(), [](Panel& p) { key(p.cancelButton(), Qt::Key_Escape, QString()); }),
        QString());
    EXPECT_EQ(open(itemRequest(), [](Panel& p) { p.cancelButton()->click(); }), QString());
    EXPECT_EQ(open(itemRequest(), [](Panel& p) { p.close(); }), QString());
    EXPECT_FALSE(Panel::instance().cancelledByRightPress());
    EXPECT_EQ(open(itemRequest(), [](Panel& p) { press(p.cancelButton(), Qt::RightButton); }),
              QString());
    EXPECT_TRUE(Panel::instance().cancelledByRightPress());
    // A command chosen before is not left behind.
    EXPECT_EQ(open(itemRequest(), [](Panel& p) {}), QString());
}

TEST_F(CommandPanel, TemporaryRowsLastOneOpeningOnly)
{
    Panel::Request r = itemRequest();
    r.temporaryRows.push_back(
        {QStringLiteral("Connections"), QStringLiteral("Connections"), {}, 1});
    r.temporaryRows.push_back({QStringLiteral("->target"), QStringLiteral("XMLSend1"), {}, 1});
    r.rows.insert(1, QStringLiteral("XMLSend1"));
    for (int opening = 0; opening < 3; ++opening) {
        QStringList shown;
        int temporaries = 0;
        QString hint;
        open(r, [&](Panel& p) {
            shown = p.shownRows();
            temporaries =
                int(p.findChildren<TCommandRow*>().size()) - int(FixedCommandRows().size());
            hint = p.row(QStringLiteral("Connections"))->toolTip();
        });
        EXPECT_EQ(shown.count(QStringLiteral("Connections")), 1);
        EXPECT_EQ(shown.indexOf(QStringLiteral("XMLSend1")), 1);
        EXPECT_EQ(shown.last(), QStringLiteral("Connections"));
        EXPECT_EQ(temporaries, 2);
        EXPECT_EQ(hint, QStringLiteral("Connections"));
    }
    open(itemRequest(), [](Panel& p) {
        EXPECT_EQ(p.temporaryRowCount(), 0);
        EXPECT_EQ(p.row(QStringLiteral("Connections")), nullptr);
    });
    EXPECT_EQ(open(r, [](Panel& p) { press(p.row(QStringLiteral("XMLSend1"))); }),
              QStringLiteral("XMLSend1"));
}

TEST_F(CommandPanel, NearTheScreenCornerThePanelKeeps44PixelsFree)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QSize s = screen->geometry().size();
    QRect frame;
    QPoint cursor;
    open(
        itemRequest(),
        [&](Panel& p) {
            frame = p.frameGeometry();
            cursor = QCursor::pos();
        },
        QPoint(s.width() - 5, s.height() - 5));
    EXPECT_EQ(frame.x() + frame.width() + 44, s.width());
    EXPECT_EQ(frame.y() + frame.height() + 44, s.height());
    EXPECT_EQ(cursor, QPoint(s.width() - 5, s.height() - 5));

    // Away from the edges it opens below and a little left of the press.
    open(
        itemRequest(), [&](Panel& p) { frame = p.frameGeometry(); }, QPoint(200, 100));
    EXPECT_EQ(frame.topLeft(), QPoint(176, 144));
}

TEST_F(CommandPanel, TheRecorderRowNeedsAudio)
{
    Panel::Request r = itemRequest();
    r.recorder = true;
    Panel::setAudioDeviceProbe([] { return true; });
    bool shown = false;
    int height = 0, cancelTop = 0;
    open(r, [&](Panel& p) {
        shown = p.recorderShown() && p.recorder()->isVisible();
        height = p.height();
        cancelTop = p.cancelButton()->y();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(height + 24, PanelHeight(6));
    EXPECT_EQ(cancelTop, height + 24 - 90);

    session().settings.audioEnabled = false;
    open(r, [&](Panel& p) { shown = p.recorderShown(); });
    EXPECT_FALSE(shown);
    session().settings.audioEnabled = true;
    Panel::setAudioDeviceProbe([] { return false; });
    open(r, [&](Panel& p) { shown = p.recorderShown(); });
    EXPECT_FALSE(shown);
}

TEST_F(CommandPanel, RecorderLoadWithEscStartsFromTheEmptyRecordingAndStaysOpen)
{
    QFile empty(QDir(dir()).filePath(QStringLiteral("empty.wav")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("RIFF-empty");
    empty.close();
    QFile old(QDir(dir()).filePath(QStringLiteral("new.wav")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("RIFF-old-recording");
    old.close();

    QString title;
    Panel::setFileDialogAnswer([&](const Panel::FileDialogRequest& r) {
        title = r.title;
        return QString();
    });
    Panel::setAudioDeviceProbe([] { return true; });
    Panel::Request r = itemRequest();
    r.recorder = true;
    bool openAfterLoad = false;
    QString chosen = open(r, [&](Panel& p) {
        p.RecorderLoad();
        openAfterLoad = p.isVisible();
        p.RecorderSave();
    });
    EXPECT_EQ(title, QStringLiteral(
                         "Select sound file for this item or press Esc for an empty sound track"));
    EXPECT_TRUE(openAfterLoad);
    EXPECT_EQ(chosen, QStringLiteral("SaveAudio"));
    QFile now(TRecorderRow::recordingPath());
    ASSERT_TRUE(now.open(QIODevice::ReadOnly));
    EXPECT_EQ(now.readAll(), QByteArray("RIFF-empty"));
    now.close();
    EXPECT_TRUE(session().settings.audioEnabled);

    // Picking the recording itself keeps it.
    Panel::setFileDialogAnswer(
        [&](const Panel::FileDialogRequest&) { return TRecorderRow::recordingPath(); });
    Panel::instance().RecorderLoad();
    ASSERT_TRUE(now.open(QIODevice::ReadOnly));
    EXPECT_EQ(now.readAll(), QByteArray("RIFF-empty"));
}

// The buttons work on a machine with a sound server and on one without; neither crashes.
TEST_F(CommandPanel, RecorderButtonsPlayAndRecordPlainWavFiles)
{
    wav::Sound tenth;
    tenth.sampleRate = 8000;
    tenth.channels = 1;
    tenth.bitsPerSample = 16;
    tenth.samples = QByteArray(1600, '\0');
    ASSERT_TRUE(wav::write(TRecorderRow::recordingPath(), tenth));
    const bool output = !QMediaDevices::defaultAudioOutput().isNull();
    const bool input = !QMediaDevices::defaultAudioInput().isNull();

    Panel::setAudioDeviceProbe([] { return true; });
    Panel::Request r = itemRequest();
    r.recorder = true;
    open(r, [&](Panel& p) {
        TRecorderRow& row = *p.recorder();
        WavPlayer& player = row.player();
        auto click = [&](const char* name) {
            row.findChild<QToolButton*>(QLatin1String(name))->click();
        };
        click("Play");
        EXPECT_EQ(player.isPlaying(), output);
        EXPECT_EQ(messenger.saw(QStringLiteral("No sound device was found.")), !output);
        QElapsedTimer waited;
        waited.start();
        while (player.isPlaying() && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.position(), output ? player.length() : 0);

        click("ToEnd");
        EXPECT_EQ(player.position(), 1600);
        click("Play");  // at the end there is nothing left to play
        EXPECT_FALSE(player.isPlaying());
        click("Rewind");
        EXPECT_EQ(player.position(), 0);

        messenger.clear();
        click("Record");
        EXPECT_EQ(messenger.saw(QStringLiteral("No sound input device was found.")), !input);
        click("Stop");
    });
    // A recording (or the file it left alone) is a WAV file the player reads.
    wav::Sound back;
    EXPECT_TRUE(wav::read(TRecorderRow::recordingPath(), &back));
    EXPECT_EQ(back.sampleRate, input ? 22050 : 8000);
}

TEST_F(CommandPanel, OutlineDialogsReturnThePickOrTheirDefault)
{
    Panel& p = Panel::instance();
    p.setOutlineFilter(QStringLiteral("Outline maps|*.qbo"),
                       QDir(dir()).filePath(QStringLiteral("outl")));
    std::vector<Panel::FileDialogRequest> asked;
    QString answer = QStringLiteral("/tmp/x/plan.qbo");
    Panel::setFileDialogAnswer([&](const Panel::FileDialogRequest& r) {
        asked.push_back(r);
        return answer;
    });
    EXPECT_EQ(p.OutlineAdminGetFile(), answer);
    EXPECT_EQ(p.saveDialogFileName(), answer);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Select outline map for Projects table"));
    EXPECT_EQ(asked[0].filter, QStringLiteral("Outline maps (*.qbo)"));
    EXPECT_EQ(asked[0].defaultSuffix, QStringLiteral("qbo"));
    EXPECT_FALSE(asked[0].save);

    answer.clear();
    EXPECT_EQ(p.OutlineAdminGetFile(), QString());
    // In the folder Load Outline opens.
    const QString preset = QDir(dir()).filePath(QStringLiteral("outl/first.outline"));
    EXPECT_EQ(p.OutlineAdminSaveFile(), preset);
    EXPECT_EQ(asked.back().title, QStringLiteral("Saving an outline map for Projects table"));
    EXPECT_TRUE(asked.back().save);
    EXPECT_EQ(asked.back().presetFile, preset);
    answer = QStringLiteral("/tmp/x/other.qbo");
    EXPECT_EQ(p.OutlineAdminSaveFile(), answer);
}

}  // namespace
