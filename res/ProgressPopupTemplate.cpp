#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace tessaline {

namespace {

constexpr ControlTemplate kControls[] = {
    {IDC_PROGRESS_TEXT, ControlKind::Static, "Static", 23, 16, 114, 8, style::Centre, 0},
    {kNoId, ControlKind::GroupBox, "", 4, 0, 153, 37, 0, 0},
};

constexpr DialogTemplate kProgressPopup = {
    IDD_PROGRESS_POPUP, "", 161, 41, "MS Sans Serif", 8, kControls,
};

}  // namespace

const DialogTemplate& progressPopupTemplate() {
    return kProgressPopup;
}

}  // namespace tessaline
