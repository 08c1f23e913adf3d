#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace tessaline {

namespace {

using K = ControlKind;
using namespace style;

constexpr const char* kLetters = "A\nB\nC\nD\nE\nF\nG\nH";
constexpr const char* kNumbers = "01\n02\n03\n04\n05\n06\n07\n08\n09\n10\n11\n12\n13\n14\n15\n16";
constexpr unsigned kList = VScroll | TabStop;
constexpr unsigned kLine = Border | AutoHScroll | TabStop;

// In template order, which is also the tab order.
constexpr ControlTemplate kControls[] = {
    {kNoId, K::Picture, "", 0, 0, 279, 42, 0, IDB_BANNER},
    {kNoId, K::EtchedLine, "", 0, 42, 280, 1, 0, 0},
    {kNoId, K::GroupBox, "Tessaline Settings", 7, 47, 186, 145, 0, 0},
    {kNoId, K::Static, "Copy VOICE:", 18, 64, 76, 8, 0, 0},
    {IDC_VOICE_BANK, K::DropDownList, "", 18, 74, 50, 159, kList, 0},
    {IDC_VOICE_LETTER, K::DropDownList, kLetters, 70, 74, 27, 200, kList, 0},
    {IDC_VOICE_NUM, K::DropDownList, kNumbers, 99, 74, 31, 200, kList, 0},
    {IDC_VOICE_BACK, K::PushButton, "-", 160, 76, 10, 9, TabStop, 0},
    {IDC_VOICE_ON, K::PushButton, "+", 171, 76, 10, 9, TabStop, 0},
    {IDC_VOICE_LINE, K::Edit, "", 18, 89, 163, 13, kLine, 0},
    {kNoId, K::Static, "To:", 18, 120, 12, 8, 0, 0},
    {IDC_DEST_TYPE, K::DropDownList, "", 32, 117, 98, 92, kList, 0},
    {kNoId, K::Static, "part", 132, 120, 15, 8, 0, 0},
    {IDC_PART, K::DropDownList, "", 148, 117, 33, 219, kList, 0},
    {IDC_PERF_BANK, K::DropDownList, "", 18, 135, 50, 108, kList, 0},
    {IDC_PERF_LETTER, K::DropDownList, kLetters, 70, 135, 27, 196, kList, 0},
    {IDC_PERF_NUM, K::DropDownList, kNumbers, 99, 135, 31, 196, kList, 0},
    {IDC_PERF_BACK, K::PushButton, "-", 160, 137, 10, 9, TabStop, 0},
    {IDC_PERF_ON, K::PushButton, "+", 171, 137, 10, 9, TabStop, 0},
    {IDC_PERF_LINE, K::Edit, "", 18, 150, 163, 13, kLine, 0},
    {IDC_WITH_SYS_FX, K::CheckBox, "with SYS FX", 18, 172, 55, 8, TabStop, 0},
    {IDC_WITH_INS_FX, K::CheckBox, "with INS FX", 77, 172, 53, 8, TabStop, 0},
    {IDC_WITH_NAME, K::CheckBox, "with NAME", 134, 172, 53, 8, TabStop, 0},
    {IDC_ABOUT, K::PushButton, "About...", 208, 51, 58, 14, TabStop, 0},
    {IDC_MIDI_SETUP, K::PushButton, "MIDI Setup...", 208, 68, 58, 14, TabStop, 0},
    {kNoId, K::GroupBox, "", 203, 149, 70, 43, 0, 0},
    {IDC_EXECUTE, K::OwnerDrawButton, "Execute", 223, 161, 28, 16, TabStop, 0},
    {kNoId, K::Static, "EXECUTE", 221, 179, 39, 8, 0, 0},
};

constexpr DialogTemplate kMainDialog = {
    IDD_MAIN_DIALOG, "Tessaline 1.5.1", 280, 212, "MS Sans Serif", 8, kControls,
};

}  // namespace

const DialogTemplate& mainDialogTemplate() {
    return kMainDialog;
}

}  // namespace tessaline
