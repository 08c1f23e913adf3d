// tessaline-render-icons: draws the program's icon at each size of the hicolor theme, for the
// install step. Each size is painted from the drawing itself, so small sizes stay sharp.
//
// usage: tessaline-render-icons OUT_DIR NAME SIZE...
// writes OUT_DIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE (16 to 1024).

#include <QDir>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/ImageDrawing.h"

namespace {

constexpr int kMinSize = 16;
constexpr int kMaxSize = 1024;

bool parseSize(const char* text, int& size) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < kMinSize || value > kMaxSize) {
        return false;
    }
    size = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tessaline-render-icons OUT_DIR NAME SIZE...\n");
        return 1;
    }
    // Painting into a QImage needs no platform plugin, hence no QGuiApplication: the build runs
    // without a display and without the offscreen platform's start-up.
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        int size = 0;
        if (!parseSize(argv[i], size)) {
            std::fprintf(stderr, "tessaline-render-icons: not a size from %d to %d: %s\n", kMinSize,
                         kMaxSize, argv[i]);
            return 1;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        if (!QDir().mkpath(dir) || !tessaline::drawProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "tessaline-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
