#include "res/Images.h"

#include "res/ImageDrawing.h"
#include "res/ResourceIds.h"

namespace tessaline {

QPixmap loadBitmap(int id, double pixelRatio) {
    switch (id) {
        case IDB_BANNER:
            return QPixmap::fromImage(drawBanner(pixelRatio));
        case IDB_EXECUTE_DOWN:
            return QPixmap::fromImage(drawExecuteButton(true, pixelRatio));
        case IDB_EXECUTE_UP:
            return QPixmap::fromImage(drawExecuteButton(false, pixelRatio));
        default:
            return {};
    }
}

QIcon loadIcon(int id) {
    if (id != IDI_MAIN_ICON) {
        return {};
    }
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(drawProgramIcon(size)));
    }
    return icon;
}

QPixmap loadIconPixmap(int id, int side, double pixelRatio) {
    if (id != IDI_MAIN_ICON || side <= 0) {
        return {};
    }
    QImage image = drawProgramIcon(qRound(side * pixelRatio));
    image.setDevicePixelRatio(pixelRatio);
    return QPixmap::fromImage(image);
}

}  // namespace tessaline
