#pragma once
// The keys that move a selection in every list, tree and menu that draws
// its own rows, and those that open what is selected.
#include <QKeyEvent>
#include <optional>

#include "core/lists/ListMoves.h"

namespace vantrel {

inline std::optional<ListMove> listMoveFor(const QKeyEvent& e) {
  switch (e.key()) {
    case Qt::Key_Up: return ListMove::Up;
    case Qt::Key_Down: return ListMove::Down;
    case Qt::Key_PageUp: return ListMove::PageUp;
    case Qt::Key_PageDown: return ListMove::PageDown;
    case Qt::Key_Home: return ListMove::First;
    case Qt::Key_End: return ListMove::Last;
    default: return std::nullopt;
  }
}

inline bool isOpenKey(const QKeyEvent& e) {
  return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter;
}

}  // namespace vantrel
