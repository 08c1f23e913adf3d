#include "res/Images.h"

#include "res/ImageDrawing.h"
#include "res/ResourceIds.h"

namespace tessaline {

QPixmap loadBitmap(int id) {
    switch (id) {
        case IDB_BANNER:
            return QPixmap::fromImage(drawBanner());
        case IDB_EXECUTE_DOWN:
            return QPixmap::fromImage(drawExecuteButton(true));
        case IDB_EXECUTE_UP:
            return QPixmap::fromImage(drawExecuteButton(false));
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

}  // namespace tessaline
