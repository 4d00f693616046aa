#include "shell/SubsystemCommands.h"

#include "desktop/DesktopCommands.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/DictionaryCommands.h"
#include "items/ItemHooks.h"
#include "desktop/PopulateCommands.h"
#include "items/ItemCommands.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/ExternalProgramCommands.h"
#include "shell/MainWindow.h"
#include "session/Session.h"
#include "session/DataChecks.h"
#include "session/Engine.h"

namespace qb {

namespace {

void InstallStoreCommands(TBillBoard& window)
{
    session().shell.dataChecks = [] { DataChecks(); };
    window.commands().bind(QString::fromLatin1(cmd::ShowDatabaseLocationInfo), [] {
        const QPoint scroll = session().hooks.scroll();
        ShowDatabaseLocationInfo(scroll.x(), scroll.y());
    });
}

}  // namespace

// One line per subsystem, each calling that subsystem's own installer, in the order of building.
void InstallSubsystemCommands(TBillBoard& window)
{
    InstallStoreCommands(window);
    InstallDesktopCommands(window);
    InstallDictionaryCommands(window);
    InstallExternalProgramCommands(window);
    InstallItemCommands(window);
    // A word without concept dropped on an item card gets a concept card of its own first.
    itemHooks().newConceptCardForWord = [](const QString& word, int wordNo) { NewConceptCardForWord(word, wordNo); };
    InstallPopulateCommands(window);
}

}  // namespace qb
