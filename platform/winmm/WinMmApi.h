#pragma once

// Our constants of the same names (MIM_LONGDATA, MHDR_DONE, ...) must be declared before
// mmsystem.h makes macros of those names; the values are the same.
#include "platform/MidiService.h"

// clang-format off
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>
// clang-format on

namespace tessaline {

// The WinMM calls the service makes, one method each under WinMM's own types, so that a test can
// stand in for the driver: return buffers late or never, call the callback from a thread of its
// own. Callbacks are given as WinMM takes them (a function address for CALLBACK_FUNCTION).
class WinMmApi {
  public:
    virtual ~WinMmApi() = default;

    virtual UINT inGetNumDevs() = 0;
    virtual MMRESULT inGetDevCaps(UINT device, MIDIINCAPSA* caps) = 0;
    virtual MMRESULT inOpen(HMIDIIN* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                            DWORD flags) = 0;
    virtual MMRESULT inPrepareHeader(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT inUnprepareHeader(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT inAddBuffer(HMIDIIN handle, MIDIHDR* header) = 0;
    virtual MMRESULT inStart(HMIDIIN handle) = 0;
    virtual MMRESULT inStop(HMIDIIN handle) = 0;
    virtual MMRESULT inReset(HMIDIIN handle) = 0;
    virtual MMRESULT inClose(HMIDIIN handle) = 0;
    virtual MMRESULT inGetErrorText(MMRESULT code, char* text, UINT size) = 0;

    virtual UINT outGetNumDevs() = 0;
    virtual MMRESULT outGetDevCaps(UINT device, MIDIOUTCAPSA* caps) = 0;
    virtual MMRESULT outOpen(HMIDIOUT* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                             DWORD flags) = 0;
    virtual MMRESULT outShortMsg(HMIDIOUT handle, DWORD message) = 0;
    virtual MMRESULT outPrepareHeader(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT outUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT outLongMsg(HMIDIOUT handle, MIDIHDR* header) = 0;
    virtual MMRESULT outReset(HMIDIOUT handle) = 0;
    virtual MMRESULT outClose(HMIDIOUT handle) = 0;
    virtual MMRESULT outGetErrorText(MMRESULT code, char* text, UINT size) = 0;
};

// The system's own WinMM.
class SystemWinMmApi final : public WinMmApi {
  public:
    UINT inGetNumDevs() override;
    MMRESULT inGetDevCaps(UINT device, MIDIINCAPSA* caps) override;
    MMRESULT inOpen(HMIDIIN* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) override;
    MMRESULT inPrepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT inUnprepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT inAddBuffer(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT inStart(HMIDIIN handle) override;
    MMRESULT inStop(HMIDIIN handle) override;
    MMRESULT inReset(HMIDIIN handle) override;
    MMRESULT inClose(HMIDIIN handle) override;
    MMRESULT inGetErrorText(MMRESULT code, char* text, UINT size) override;

    UINT outGetNumDevs() override;
    MMRESULT outGetDevCaps(UINT device, MIDIOUTCAPSA* caps) override;
    MMRESULT outOpen(HMIDIOUT* handle, UINT device, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) override;
    MMRESULT outShortMsg(HMIDIOUT handle, DWORD message) override;
    MMRESULT outPrepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT outUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT outLongMsg(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT outReset(HMIDIOUT handle) override;
    MMRESULT outClose(HMIDIOUT handle) override;
    MMRESULT outGetErrorText(MMRESULT code, char* text, UINT size) override;
};

}  // namespace tessaline
