#pragma once

#include <QIcon>
#include <QPixmap>

namespace tessaline {

// The bitmap resource with this id (banner, Execute button states), drawn for the device pixel
// ratio; a null pixmap when there is none. Needs a QGuiApplication.
QPixmap loadBitmap(int id, double pixelRatio = 1.0);
// The icon resource with this id, in the sizes a window uses; a null icon when there is none.
QIcon loadIcon(int id);
// The icon resource with this id as a square of `side` logical pixels drawn for the device
// pixel ratio; a null pixmap when there is none.
QPixmap loadIconPixmap(int id, int side, double pixelRatio);

}  // namespace tessaline
