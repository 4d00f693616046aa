// Draws a desktop with a few base cards (one marked, one expanded, one list card) and the
// command panel open beside a card, and saves both as pictures:
//   desktop_shots OUTPUT_DIR
#include "cards/BaseCard.h"
#include "cards/CardPartsPanel.h"
#include "cards/CommandPanel.h"
#include "cards/Desktop.h"
#include "cards/DesktopMapPanel.h"
#include "cards/TowerCard.h"
#include "session/Session.h"
#include "shell/Wiring.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

using namespace qb;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QTemporaryDir store;
    session().setDir(store.path());

    QWidget window;
    window.resize(900, 620);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QLabel(&window);
    bar->setFixedHeight(29);
    bar->setStyleSheet(QStringLiteral("background: #d4d0c8"));
    layout->addWidget(bar);
    auto* desktop = new TDesktop(&window);
    WireDesktop();
    layout->addWidget(desktop);
    auto* map = new TDesktopMap(*desktop, bar);
    map->move(860, 1);
    desktop->setMap(map);

    auto* plain = new TBasPanel(*desktop, nullptr);
    plain->move(40, 40);
    auto* marked = new TBasPanel(*desktop, nullptr);
    marked->move(200, 60);
    marked->CardDblClick();
    marked->setKindText(QStringLiteral("Base"));
    auto* expanded = new TBasPanel(*desktop, nullptr);
    expanded->move(360, 200);
    expanded->setKindText(QStringLiteral("Wide"));
    expanded->ToggleSize();
    expanded->CardEnter();
    expanded->corner()->setPointClr(QColor(0xFF, 0xC0, 0x00));
    auto* tower = new TTower(*desktop, std::make_unique<CardData>(CardKind::Dictionary));
    tower->move(620, 30);
    QStandardItemModel model(12, 1);
    model.setHorizontalHeaderLabels({QStringLiteral("Word")});
    const char* words[] = {"apple", "bridge",  "candle", "dune",    "ember",  "fjord",
                           "glass", "harbour", "island", "juniper", "kettle", "lantern"};
    for (int i = 0; i < 12; ++i)
        model.setItem(i, 0, new QStandardItem(QString::fromLatin1(words[i])));
    tower->setModel(&model);
    tower->grid()->selectRow(2);
    auto* far = new TBasPanel(*desktop, nullptr);
    far->move(1700, 1600);
    map->redraw();
    window.show();
    app.processEvents();

    window.grab().save(QDir(out).filePath(QStringLiteral("cards-desktop.png")));

    // The panel beside the plain card, with an item card's rows.
    TMyPopUpMenu::Request request;
    request.caption = QStringLiteral("Item created 26-12-08");
    request.rows = {QStringLiteral("GoText"),    QStringLiteral("Keywords"),
                    QStringLiteral("Projects"),  QStringLiteral("ClipBoard"),
                    QStringLiteral("RemoveKey"), QStringLiteral("Drop"),
                    QStringLiteral("Delete")};
    request.labels.insert(QStringLiteral("Delete"), QStringLiteral("&Delete Item"));
    request.temporaryRows.push_back(
        {QStringLiteral("Connections"), QStringLiteral("Connections"), {}, 1});
    TMyPopUpMenu::setTestAnswer([&](TMyPopUpMenu& panel) {
        app.processEvents();
        QPixmap shot = window.grab();
        QPixmap panelShot = panel.grab();
        QPainter p(&shot);
        QPoint at = window.mapFromGlobal(panel.pos());
        p.drawPixmap(at, panelShot);
        p.setPen(Qt::darkGray);
        p.drawRect(QRect(at, panelShot.size()).adjusted(0, 0, -1, -1));
        p.end();
        shot.save(QDir(out).filePath(QStringLiteral("cards-panel.png")));
        panelShot.save(QDir(out).filePath(QStringLiteral("cards-panel-only.png")));
    });
    QPoint press = plain->mapToGlobal(QPoint(100, 20));
    TMyPopUpMenu::instance().choose(plain, press, request);
    return 0;
}
