#pragma once

class QMenu;

namespace vorlune {

// Pops the menu up with its top-left corner 3 pixels right of and below the mouse cursor, so
// the pointer does not rest on the first item.
void PopUpBesideCursor(QMenu& menu);

}  // namespace vorlune
