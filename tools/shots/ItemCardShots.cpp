// Pictures of item cards on the main window for a look by eye; not part of the test run:
//   item_shots OUTPUT_DIR
// Saves itemcard-desktop.png (text, keyword, combined and picture sides, a new card),
// itemcard-<side>.png of single cards, itemcard-panel.png and itemcard-select-concept.png.
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "items/ItemCard.h"
#include "items/ItemCommands.h"
#include "items/ItemRecord.h"
#include "items/SelectConceptDialog.h"
#include "platform/Sqlite.h"
#include "session/Session.h"
#include "shell/MainWindow.h"
#include "store/Schema.h"

#include <QApplication>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

using namespace qb;

namespace {

void run(const QString& sql, const QVariantList& params = {})
{
    sql::Statement st(session().store.db(), sql);
    for (int i = 0; i < params.size(); ++i) st.bindVariant(i + 1, params[i]);
    if (!st.run()) qWarning("%s: %s", qPrintable(sql), qPrintable(st.error()));
}

void word(int no, const QString& w)
{
    run(QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, -1, -1, 1)"),
        {w, no});
}
void addConcept(double c, std::initializer_list<int> words)
{
    for (int w : words)
        run(QStringLiteral("INSERT INTO DICT (C, WNo, CTS) VALUES (?1, ?2, ?1)"), {c, w});
}
void item(double id, const QString& text, std::initializer_list<std::pair<double, int>> keys,
          QStringList projects, const QImage& picture = QImage())
{
    run(QStringLiteral("INSERT INTO ITEM (IT, TX, ITS, Animation) VALUES (?1, ?2, ?1, ?3)"),
        {id, text, picture.isNull() ? QVariant() : QVariant(PictureToStoredBytes(picture))});
    int order = 0;
    for (auto [c, w] : keys)
        run(QStringLiteral(
                "INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"),
            {id, ++order, c, w});
    order = 0;
    for (const QString& p : projects)
        run(QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"),
            {id, ++order, p});
}

QImage landscape(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(210, 230, 250));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(250, 210, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.75, h * 0.3), h * 0.12, h * 0.12);
    p.setBrush(QColor(60, 130, 70));
    p.drawPolygon(
        QPolygonF({QPointF(0, h), QPointF(w * 0.3, h * 0.5), QPointF(w * 0.6, h), QPointF(0, h)}));
    p.setBrush(QColor(40, 100, 55));
    p.drawPolygon(QPolygonF(
        {QPointF(w * 0.35, h), QPointF(w * 0.7, h * 0.45), QPointF(w, h * 0.8), QPointF(w, h)}));
    return image;
}

void save(QWidget* w, const QString& out, const QString& name)
{
    w->grab().save(QDir(out).filePath(name));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QTemporaryDir store;
    Session& s = session();
    s.setDir(store.path());
    QString error;
    if (!schema::createEmptyStore(store.path(), &error) || !s.store.open(store.path(), &error)) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    word(1, QStringLiteral("garden"));
    word(2, QStringLiteral("tomato"));
    word(3, QStringLiteral("summer"));
    word(4, QStringLiteral("travel"));
    word(5, QStringLiteral("mountain"));
    word(6, QStringLiteral("Gebirge"));
    addConcept(-45001.25, {1});
    addConcept(-45002.25, {2});
    addConcept(-45003.25, {3});
    addConcept(-45004.25, {4});
    addConcept(-45005.25, {5, 6});
    run(QStringLiteral(
        "INSERT INTO PROJECT (Project, PTS, URL, Tag) VALUES ('KITCHEN GARDEN', -45100, '', 'NONE')"));
    run(QStringLiteral(
        "INSERT INTO PROJECT (Project, PTS, URL, Tag) VALUES ('ALPS 2027', -45200, '', 'NONE')"));

    item(-46301.5,
         QStringLiteral("Sow the tomatoes indoors in March; plant them out after the last frost. "
                        "\"Moneymaker\" did best last year — the cherry kind split in the rain."),
         {{-45002.25, 2}, {-45001.25, 1}, {-45003.25, 3}}, {QStringLiteral("KITCHEN GARDEN")});
    item(-46302.5,
         QStringLiteral("Hut to hut: Zermatt – Saas-Fee, six days.\nBook the Täschhütte early."),
         {{-45004.25, 4}, {-45005.25, 6}, {-45003.25, 3}},
         {QStringLiteral("ALPS 2027"), QStringLiteral("KITCHEN GARDEN")});
    item(-46303.5,
         QStringLiteral("Ideas for the north bed: beans on poles, marigolds between the rows, "
                        "and a water butt by the shed."),
         {{-45001.25, 1}, {-45003.25, 3}},
         {QStringLiteral("KITCHEN GARDEN"), QStringLiteral("ALPS 2027")});
    item(-46304.5, QString(), {{-45005.25, 5}}, {QStringLiteral("ALPS 2027")}, landscape(200, 130));

    TBillBoard window;
    window.resize(1100, 720);
    window.show();
    app.processEvents();
    TDesktop& desktop = *window.desktop();

    s.settings.cardSideUp = ctxText;
    TItem* text = PlaceItemCard(desktop, -46301.5L, desktop.toDesktop(QPoint(20, 20))).card;
    s.settings.cardSideUp = ctxKeys;
    TItem* keys = PlaceItemCard(desktop, -46302.5L, desktop.toDesktop(QPoint(260, 20))).card;
    s.settings.cardSideUp = ctxCombined;
    TItem* combined = PlaceItemCard(desktop, -46303.5L, desktop.toDesktop(QPoint(500, 20))).card;
    combined->resize(330, 240);
    combined->Layout();
    s.settings.cardSideUp = ctxText;
    TItem* picture = PlaceItemCard(desktop, -46304.5L, desktop.toDesktop(QPoint(860, 20))).card;
    keys->keyList()->setCurrentRow(1);
    window.dateStampBox()->setPlainText(QStringLiteral("*Date*"));
    CreateBlankItem(false);
    TItem* fresh = desktop.cardsOf<TItem>().last();
    fresh->move(desktop.toDesktop(QPoint(40, 330)));
    fresh->textEditor()->insertPlainText(QStringLiteral("A new thought, not yet keyed."));
    TItem* projects = nullptr;
    {
        s.settings.cardSideUp = ctxUrls;
        item(-46305.5, QStringLiteral("Projects side"), {{-45004.25, 4}},
             {QStringLiteral("ALPS 2027"), QStringLiteral("KITCHEN GARDEN")});
        projects = PlaceItemCard(desktop, -46305.5L, desktop.toDesktop(QPoint(600, 320))).card;
    }
    for (TItem* c : {text, keys, combined, picture, fresh, projects}) c->show();
    app.processEvents();

    save(&window, out, QStringLiteral("itemcard-desktop.png"));
    save(text, out, QStringLiteral("itemcard-text.png"));
    save(keys, out, QStringLiteral("itemcard-keywords.png"));
    save(combined, out, QStringLiteral("itemcard-combined.png"));
    save(picture, out, QStringLiteral("itemcard-picture.png"));
    save(projects, out, QStringLiteral("itemcard-projects.png"));
    save(fresh, out, QStringLiteral("itemcard-new.png"));
    text->ToggleSize();
    app.processEvents();
    save(text, out, QStringLiteral("itemcard-expanded.png"));
    text->ToggleSize();

    // The command panel of the keyword side, and the concept selection.
    TMyPopUpMenu::setTestAnswer([&](TMyPopUpMenu& panel) {
        app.processEvents();
        save(&panel, out, QStringLiteral("itemcard-panel.png"));
    });
    keys->openCommandPanel(ItemPart::Keys, keys->mapToGlobal(QPoint(60, 40)));
    TMyPopUpMenu::setTestAnswer(nullptr);
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            save(dialog, out, QStringLiteral("itemcard-select-concept.png"));
            dialog->close();
        }
    });
    SelectConceptDialog::choose({{-45005.25L, QStringLiteral("Gebirge, mountain")},
                                 {-45009.5L, QStringLiteral("alp, pasture")}},
                                &window);
    s.store.close();
    return 0;
}
