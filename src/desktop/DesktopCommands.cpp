#include "desktop/DesktopCommands.h"

#include "cards/Desktop.h"
#include "cards/DesktopMapPanel.h"

#include <QLayout>

namespace qb {

TDesktopMap* InstallDesktopMap(TDesktop& desktop, QWidget* host)
{
    if (!host) return nullptr;
    auto* map = new TDesktopMap(desktop, host);
    if (QLayout* layout = host->layout()) {
        layout->addWidget(map);
    } else {
        host->setMinimumSize(host->minimumSize().expandedTo(map->size()));
        map->move(std::max(0, (host->width() - map->width()) / 2),
                  std::max(0, (host->height() - map->height()) / 2));
    }
    map->show();
    desktop.setMap(map);
    return map;
}

}  // namespace qb
