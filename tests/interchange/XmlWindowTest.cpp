#include "cards/CommandRows.h"
#include "cards/Desktop.h"
#include "desktop/PopulateDesktop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryWindow.h"
#include "floor/RunContext.h"
#include "interchange/XmlExport.h"
#include "items/ItemCard.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/ImportedText.h"
#include "shell/MainWindow.h"
#include "support/StoreFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace qb::test {
namespace {

class XmlWindowTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        qApp->setQuitOnLastWindowClosed(false);
        window = std::make_unique<TBillBoard>();
    }
    void TearDown() override
    {
        window.reset();
        StoreFixture::TearDown();
    }
    QString fileText(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    std::unique_ptr<TBillBoard> window;
};

TEST_F(XmlWindowTest, DesktopExportWritesTheItemCardsInReadingOrder)
{
    addItem(-46000.1, QStringLiteral("lower"));
    addItem(-46000.2, QStringLiteral("upper"));
    Pick1Item(*window->desktop(), {300, 500}, -46000.1, 0, 0, 0, false);
    TItem* upper = Pick1Item(*window->desktop(), {100, 100}, -46000.2, 0, 0, 0, false).card;
    ASSERT_NE(upper, nullptr);
    upper->item().text = QStringLiteral("upper, edited");
    window->commands().trigger(QString::fromLatin1(cmd::ExportDesktopXml));
    window->commands().trigger(QString::fromLatin1(cmd::ExportDesktopXml));
    for (const char* name : {"XML/QB_DESKTOP_ITEMS_001.xml", "XML/QB_DESKTOP_ITEMS_002.xml"})
        EXPECT_TRUE(messenger.saw(QStringLiteral("XML-encoded to file: ") +
                                  path(QString::fromLatin1(name))));
    const QString text = fileText(QStringLiteral("XML/QB_DESKTOP_ITEMS_001.xml"));
    EXPECT_GT(text.indexOf(QStringLiteral("lower")), text.indexOf(QStringLiteral("upper, edited")));
    EXPECT_GE(text.indexOf(QStringLiteral("upper, edited")), 0);
}

TEST_F(XmlWindowTest, ImportTimerWaitsForStartUpThenTakesFilesAndAnnotations)
{
    addItem(-46000.1, QStringLiteral("sent"));
    ASSERT_FALSE(SendItemAsXml(XmlItem{QStringLiteral("arrived"), {}}, dir()).isEmpty());
    QFile notes(path(QStringLiteral("qbimport.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("a note\r\n");
    notes.close();
    auto* timer = window->findChild<QTimer*>(QStringLiteral("TimerImport"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    auto tick = [&] {
        QSignalSpy ticked(timer, &QTimer::timeout);
        timer->start(0);
        ASSERT_TRUE(ticked.wait(2000));
        QCoreApplication::processEvents();
    };
    tick();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("Item001.xml"))));

    window->FormCreate();
    session().shell.dataChecks = [] {};
    messenger.expectAny();
    window->FormActivate();
    ASSERT_TRUE(window->firstActivationDone());
    tick();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("Item001.xml"))));
    EXPECT_EQ(rows(QStringLiteral("SELECT TX FROM ITEM ORDER BY IT DESC")),
              (QStringList{QStringLiteral("sent"), QStringLiteral("arrived")}));
    EXPECT_EQ(timer->interval(), 6000);
    TfrmImpText* imported = TfrmImpText::instance();
    EXPECT_EQ(imported->text()->toPlainText(), QStringLiteral("a note"));
    EXPECT_TRUE(imported->isVisible());
    EXPECT_EQ(QFile(path(QStringLiteral("qbimport.txt"))).size(), 0);

    imported->text()->clear();
    tick();
    EXPECT_EQ(timer->interval(), 30000);
    EXPECT_FALSE(imported->isVisible());
}

TEST_F(XmlWindowTest, SendRowsWriteTheCardsRecordIntoTheTarget)
{
    QTemporaryDir other;
    Settings& settings = runContext().settings;
    settings.xmlTargets[0] = {QStringLiteral("Friend"), other.path()};
    settings.usableXmlTargets = 1;
    ASSERT_EQ(XmlSendRows(true).size(), 1u);
    EXPECT_EQ(XmlSendRows(true)[0].caption, QStringLiteral("->Friend"));
    EXPECT_EQ(XmlSendRows(false)[0].caption, QStringLiteral("->") + other.path());

    addWord(1, QStringLiteral("rose"));
    const Timestamp conceptId = addConcept(-46000.5, {1});
    addItem(-46000.1, QStringLiteral("stored"), {{conceptId, 1}});
    TItem* item = Pick1Item(*window->desktop(), {100, 100}, -46000.1, 0, 0, 0, false).card;
    ASSERT_NE(item, nullptr);
    item->item().text = QStringLiteral("edited");
    item->carryOut(QStringLiteral("XMLSend1"), ItemPart::Text);
    ConceptCardData conceptCard;
    conceptCard.conceptId = conceptId;
    TSynWheel* wheel = PlaceNewConceptCard(*window->desktop(), conceptCard);
    ASSERT_NE(wheel, nullptr);
    wheel->command(QStringLiteral("XMLSend1"));
    TDict* dictionary = Newdictwindow1Click(*window->desktop());
    ASSERT_NE(dictionary, nullptr);
    dictionary->command(QStringLiteral("XMLSend1"));
    const QDir folder(other.path());
    EXPECT_EQ(folder.entryList(QDir::Files),
              (QStringList{QStringLiteral("Concept001.xml"), QStringLiteral("Item001.xml"),
                           QStringLiteral("Word001.xml")}));
    QFile sent(folder.filePath(QStringLiteral("Item001.xml")));
    ASSERT_TRUE(sent.open(QIODevice::ReadOnly));
    const QByteArray text = sent.readAll();
    EXPECT_TRUE(text.contains("<![CDATA[edited]]>"));
    EXPECT_TRUE(text.contains("<Concept  SelectWord= \"rose\"  ><Word StringValue= \"rose\" />"));
}

}  // namespace
}  // namespace qb::test
