#include "projects/FileDrops.h"

#include "cards/Desktop.h"
#include "floor/Messages.h"
#include "projects/ProjectDialogs.h"
#include "projects/ProjectRecords.h"
#include "projects/ProjectWindow.h"
#include "session/Session.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>

namespace qb {

namespace {

QWidget* dialogParent()
{
    return session().shell.mainWindow ? session().shell.mainWindow() : nullptr;
}

}  // namespace

std::optional<DroppedFile> CheckedDroppedFile(const QStringList& paths)
{
    std::optional<DroppedFile> file = LastDroppedFile(paths);
    if (!file) return std::nullopt;
    if (!QFileInfo::exists(file->path)) {
        ShowInfo(QStringLiteral("File size check failed /DropFiles"), QString(), kError,
                 projectmessages::kHelp);
        return std::nullopt;
    }
    return file;
}

bool DropFilesOnDesktop(TDesktop& desktop, const QStringList& paths)
{
    std::optional<DroppedFile> file = CheckedDroppedFile(paths);
    return file && NewProjectForFile(desktop, *file, nullptr);
}

bool NewProjectForFile(TDesktop& desktop, const DroppedFile& file, TProj* window)
{
    const bool filtered = window && window->filterOn() && !window->filterTag().isEmpty();
    const QString tag = filtered ? window->filterTag() : QString();
    std::optional<Timestamp> pts =
        RunNewProjectDialogForFile(tag, file.path, file.baseName, dialogParent());
    if (!pts) return false;
    QString name;
    if (window) {
        window->setOrder(window->order());
        if (window->selectPts(*pts)) name = window->currentName();
    } else {
        std::optional<ProjectRecord> made = FindProject(projectState().lastNewName);
        if (made && std::abs(double(made->pts - *pts)) < 1e-10) name = made->name;
    }
    if (name.isEmpty()) {
        ShowInfo(QStringLiteral("Project update failed"), QString(), kError,
                 projectmessages::kHelp);
        return false;
    }
    // The dialog stored the path already unless it was too long; this reports that case.
    RegisterShortcut(name, file.path, filtered, tag);
    RunUpdateProjectDialog(name, dialogParent());
    SetCurrentProject(name);
    if (window) {
        window->refresh();
        window->TvUpdateRefresh();
    }
    AddMissingProjectsElsewhere(desktop, window);
    return true;
}

bool GrabURL(TDesktop& desktop)
{
    QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused) focused->clearFocus();
    const bool made = RunGrabUrlDialog(dialogParent()).has_value();
    if (made) {
        const QString name = projectState().lastNewName;
        RunUpdateProjectDialog(name, dialogParent());
        SetCurrentProject(name);
        AddMissingProjectsElsewhere(desktop, nullptr);
    }
    if (focused) focused->setFocus();
    return made;
}

}  // namespace qb
