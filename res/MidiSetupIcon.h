#pragma once

#include <QImage>

namespace tessaline {

// Icon 132 of the MIDI setup dialog: a five-pin MIDI socket, drawn at any size.
QImage drawMidiSetupIcon(int size);

}  // namespace tessaline
