#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessaline {

// The bitmap resource with this id (banner, Execute button states); a null pixmap when there
// is none. Needs a QGuiApplication.
QPixmap loadBitmap(int id);
// The icon resource with this id, in the sizes a window uses; a null icon when there is none.
QIcon loadIcon(int id);

}  // namespace tessaline
