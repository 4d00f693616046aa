#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

namespace qb {

// The program's small dialogs (new word, delete or rename word, dictionary locate) open where the
// user last closed one of them.
inline std::optional<QPoint>& lastSmallDialogPlace()
{
    static std::optional<QPoint> place;
    return place;
}

inline void placeSmallDialog(QWidget& dialog)
{
    if (const auto& place = lastSmallDialogPlace()) dialog.move(*place);
}

inline void rememberSmallDialogPlace(const QWidget& dialog)
{
    lastSmallDialogPlace() = dialog.pos();
}

}  // namespace qb
