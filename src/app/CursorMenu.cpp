#include "app/CursorMenu.h"

#include <QCursor>
#include <QMenu>

namespace vorlune {

void PopUpBesideCursor(QMenu& menu) {
    menu.popup(QCursor::pos() + QPoint(3, 3));
}

}  // namespace vorlune
