#pragma once

class QWidget;

namespace qb {

// The Edit menu's clipboard commands on the control that has the keyboard focus: list boxes,
// data grids, text areas, a flyword's field and the outline tree. A control a command does not
// serve gets "Menu-initiated clipboard copy or paste operation undefined or failed".
enum class EditCommand { Cut, Copy, Paste, SelectAll, SelectAndCopyAll };
void RunEditCommand(EditCommand command, QWidget* focused);
void RunEditCommand(EditCommand command);

}  // namespace qb
