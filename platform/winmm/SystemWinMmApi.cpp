#include "platform/winmm/WinMmApi.h"

namespace tessaline {

UINT SystemWinMmApi::inGetNumDevs() {
    return midiInGetNumDevs();
}

MMRESULT SystemWinMmApi::inGetDevCaps(UINT device, MIDIINCAPSA* caps) {
    return midiInGetDevCapsA(device, caps, sizeof(MIDIINCAPSA));
}

MMRESULT SystemWinMmApi::inOpen(HMIDIIN* handle, UINT device, DWORD_PTR callback,
                                DWORD_PTR instance, DWORD flags) {
    return midiInOpen(handle, device, callback, instance, flags);
}

MMRESULT SystemWinMmApi::inPrepareHeader(HMIDIIN handle, MIDIHDR* header) {
    return midiInPrepareHeader(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::inUnprepareHeader(HMIDIIN handle, MIDIHDR* header) {
    return midiInUnprepareHeader(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::inAddBuffer(HMIDIIN handle, MIDIHDR* header) {
    return midiInAddBuffer(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::inStart(HMIDIIN handle) {
    return midiInStart(handle);
}

MMRESULT SystemWinMmApi::inStop(HMIDIIN handle) {
    return midiInStop(handle);
}

MMRESULT SystemWinMmApi::inReset(HMIDIIN handle) {
    return midiInReset(handle);
}

MMRESULT SystemWinMmApi::inClose(HMIDIIN handle) {
    return midiInClose(handle);
}

MMRESULT SystemWinMmApi::inGetErrorText(MMRESULT code, char* text, UINT size) {
    return midiInGetErrorTextA(code, text, size);
}

UINT SystemWinMmApi::outGetNumDevs() {
    return midiOutGetNumDevs();
}

MMRESULT SystemWinMmApi::outGetDevCaps(UINT device, MIDIOUTCAPSA* caps) {
    return midiOutGetDevCapsA(device, caps, sizeof(MIDIOUTCAPSA));
}

MMRESULT SystemWinMmApi::outOpen(HMIDIOUT* handle, UINT device, DWORD_PTR callback,
                                 DWORD_PTR instance, DWORD flags) {
    return midiOutOpen(handle, device, callback, instance, flags);
}

MMRESULT SystemWinMmApi::outShortMsg(HMIDIOUT handle, DWORD message) {
    return midiOutShortMsg(handle, message);
}

MMRESULT SystemWinMmApi::outPrepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    return midiOutPrepareHeader(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::outUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    return midiOutUnprepareHeader(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::outLongMsg(HMIDIOUT handle, MIDIHDR* header) {
    return midiOutLongMsg(handle, header, sizeof(MIDIHDR));
}

MMRESULT SystemWinMmApi::outReset(HMIDIOUT handle) {
    return midiOutReset(handle);
}

MMRESULT SystemWinMmApi::outClose(HMIDIOUT handle) {
    return midiOutClose(handle);
}

MMRESULT SystemWinMmApi::outGetErrorText(MMRESULT code, char* text, UINT size) {
    return midiOutGetErrorTextA(code, text, size);
}

}  // namespace tessaline
