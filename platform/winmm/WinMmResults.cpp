#include "platform/winmm/WinMmResults.h"

#include <cstring>

namespace tessaline {

MidiResult fromWinMm(MMRESULT result) {
    if (result <= kLastWinMmCode) {
        return result;
    }
    // The MIDI errors beyond it mean something else among our codes.
    return result == MIDIERR_BADOPENMODE ? midiresult::InvalidFlag : midiresult::Error;
}

std::string winMmErrorText(WinMmApi& api, MidiResult code, bool input) {
    if (code <= kLastWinMmCode) {
        char text[MAXERRORLENGTH] = {};
        const MMRESULT found = input ? api.inGetErrorText(code, text, sizeof text)
                                     : api.outGetErrorText(code, text, sizeof text);
        const std::size_t length = strnlen(text, sizeof text);
        if (found == MMSYSERR_NOERROR && length > 0) {
            return std::string(text, length);
        }
    }
    return midiResultText(code, input);
}

}  // namespace tessaline
