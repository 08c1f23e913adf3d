#include "res/SetupDialogTemplate.h"

namespace tessaline {

namespace {

using K = ControlKind;
using namespace style;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Not sorted: list index and device number must stay the same.
constexpr unsigned kDeviceList = VScroll | TabStop;

constexpr ControlTemplate kControls[] = {
    {kNoId, K::GroupBox, "MIDI Devices", 7, 7, 201, 73, 0, 0},
    {kNoId, K::Icon, "", 23, 24, 21, 20, 0, IDI_MIDI_SETUP},
    {kNoId, K::Static, "MIDI In:", 60, 20, 32, 8, 0, 0},
    {IDC_MIDI_IN_LIST, K::DropDownList, "", 60, 28, 130, 94, kDeviceList, 0},
    {kNoId, K::Static, "MIDI Out:", 60, 46, 32, 8, 0, 0},
    {IDC_MIDI_OUT_LIST, K::DropDownList, "", 60, 54, 130, 122, kDeviceList, 0},
    {kNoId, K::Static, "Send speed:", 60, 88, 40, 8, 0, 0},
    {IDC_SEND_SPEED_LIST, K::DropDownList, "", 60, 96, 42, 104, VScroll | TabStop, 0},
    {IDC_CHECK_EACH_COPY, K::CheckBox, "Check each copy", 60, 114, 80, 10, TabStop, 0},
    {IDC_BACK_UP_EACH_COPY, K::CheckBox, "Back up before each copy", 60, 127, 110, 10, TabStop, 0},
    {IDOK, K::DefaultButton, "OK", 105, 88, 50, 14, TabStop, 0},
    {IDCANCEL, K::PushButton, "Cancel", 158, 88, 50, 14, TabStop, 0},
};

constexpr DialogTemplate kSetupDialog = {
    IDD_MIDI_SETUP, "MIDI Setup", 215, 144, "MS Sans Serif", 8, kControls,
};

}  // namespace

const DialogTemplate& setupDialogTemplate() {
    return kSetupDialog;
}

}  // namespace tessaline
