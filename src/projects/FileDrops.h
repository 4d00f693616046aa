#pragma once

#include "projects/DropFiles.h"

#include <QStringList>

#include <optional>

namespace qb {

class TDesktop;
class TProj;

// Files from the file manager dropped on the desktop or on a project window. Only the last file
// of a drop counts; one whose size cannot be read is refused ("File size check failed").
std::optional<DroppedFile> CheckedDroppedFile(const QStringList& paths);

// A drop on the desktop away from the cards: a new project connected to the file.
bool DropFilesOnDesktop(TDesktop& desktop, const QStringList& paths);

// The new project dialog for the file, its name from the file's; on OK the path is registered
// with the new project and its update dialog opens. window is the project window the file was
// dropped on (its category is preset and set), or null.
bool NewProjectForFile(TDesktop& desktop, const DroppedFile& file, TProj* window);

// "Grab URL to Make a Project": the new project dialog with the browser's current page (the
// clipboard's link) grabbed at once; on OK the new project's update dialog follows.
bool GrabURL(TDesktop& desktop);

}  // namespace qb
