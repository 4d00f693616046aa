#include "desktop/DesktopCommands.h"

#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "cards/DesktopMapPanel.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "floor/Settings.h"

#include <QCoreApplication>
#include <QLayout>

namespace qb {

namespace {

void bindClear(CommandRegistry& commands, TDesktop* desktop, const char* name, ClearCommand command)
{
    commands.bind(QString::fromLatin1(name), [desktop, command] { ClearCards(*desktop, command); });
}

void bindOption(CommandRegistry& commands, const char* name, OptionToggle toggle)
{
    commands.bindToggle(QString::fromLatin1(name), [toggle] { return ApplyToggle(toggle); },
                        ToggleMark(toggle));
}

}  // namespace

TDesktopMap* InstallDesktopMap(TDesktop& desktop, QWidget* host)
{
    if (!host) return nullptr;
    auto* map = new TDesktopMap(desktop, host);
    if (QLayout* layout = host->layout()) {
        layout->addWidget(map);
    } else {
        host->setMinimumSize(host->minimumSize().expandedTo(map->size()));
        map->move(std::max(0, (host->width() - map->width()) / 2), std::max(0, (host->height() - map->height()) / 2));
    }
    map->show();
    desktop.setMap(map);
    return map;
}

void InstallDesktopCommands(TBillBoard& window)
{
    CommandRegistry& commands = window.commands();
    TDesktop* desktop = window.desktop();
    bindClear(commands, desktop, cmd::ClearConcepts, ClearCommand::Concepts);
    bindClear(commands, desktop, cmd::ClearItemsNotMarked, ClearCommand::ItemsNotMarked);
    bindClear(commands, desktop, cmd::ClearAllItems, ClearCommand::AllItems);
    bindClear(commands, desktop, cmd::ClearInflections, ClearCommand::Inflections);
    bindClear(commands, desktop, cmd::ClearFlywords, ClearCommand::Flywords);
    bindClear(commands, desktop, cmd::ClearAllUnmarked, ClearCommand::AllUnmarked);
    bindClear(commands, desktop, cmd::ClearAllCards, ClearCommand::AllCards);
    bindClear(commands, desktop, cmd::ClearDesktop, ClearCommand::Desktop);
    commands.bind(QString::fromLatin1(cmd::UndoRecentDeletes), [desktop] { UndoRecentDeletes(*desktop); });
    commands.bind(QString::fromLatin1(cmd::ReturnHome), [desktop] {
        desktop->scrollTo(0, 0);
        QCoreApplication::processEvents();
    });
    bindOption(commands, cmd::HotSpotBringToFront, OptionToggle::BringToFrontCorner);
    bindOption(commands, cmd::HotSpotSendToBack, OptionToggle::SendBackCorner);

    // The logo panel takes the focus whenever no card may hold it.
    desktop->setFocusSink(window.logoPanel());
    InstallDesktopMap(*desktop, window.mapHost());
}

}  // namespace qb
