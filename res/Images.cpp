#include "res/Images.h"

#include "res/ImageDrawing.h"
#include "res/MidiSetupIcon.h"
#include "res/ResourceIds.h"
#include "res/SetupDialogTemplate.h"

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
    if (side <= 0 || (id != IDI_MAIN_ICON && id != IDI_MIDI_SETUP)) {
        return {};
    }
    const int pixels = qRound(side * pixelRatio);
    QImage image = id == IDI_MAIN_ICON ? drawProgramIcon(pixels) : drawMidiSetupIcon(pixels);
    image.setDevicePixelRatio(pixelRatio);
    return QPixmap::fromImage(image);
}

}  // namespace tessaline
