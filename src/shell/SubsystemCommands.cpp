#include "shell/SubsystemCommands.h"

#include "shell/ExternalProgramCommands.h"
#include "shell/MainWindow.h"

namespace qb {

// One line per subsystem, each calling that subsystem's own installer, in the order of building.
void InstallSubsystemCommands(TBillBoard& window)
{
    InstallExternalProgramCommands(window);
}

}  // namespace qb
