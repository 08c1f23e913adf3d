#include "res/AboutDialogTemplate.h"

#include "res/ResourceIds.h"

namespace tessaline {

namespace {

using K = ControlKind;
using namespace style;

constexpr int IDOK = 1;

constexpr ControlTemplate kControls[] = {
    {kNoId, K::Icon, "", 9, 9, 20, 20, 0, IDI_MAIN_ICON},
    {kNoId, K::Static, "Tessaline 1.5.1", 42, 9, 119, 8, NoPrefix, 0},
    {kNoId, K::Static, "for S90, Motif, Motif Rack and Motif ES", 42, 20, 161, 11, 0, 0},
    {kNoId, K::EtchedLine, "", 42, 34, 155, 1, 0, 0},
    {kNoId, K::Static,
     "Copies a voice as part of a mix or a performance preserving all the original parameters "
     "of the voice",
     42, 44, 161, 19, 0, 0},
    {kNoId, K::Static, "Created by:", 42, 71, 36, 8, 0, 0},
    {IDC_MAIL_LINK, K::Static, kAuthorName, 81, 71, 37, 8, 0, 0},
    {kNoId, K::Static, kAuthorYears, 118, 71, 39, 8, 0, 0},
    {IDC_WEB_LINK, K::Static, kAuthorWebPage, 42, 81, 146, 8, 0, 0},
    {IDOK, K::DefaultButton, "OK", 208, 9, 50, 14, TabStop, 0},
};

constexpr DialogTemplate kAboutDialog = {
    IDD_ABOUTBOX, "About Tessaline", 265, 110, "MS Sans Serif", 8, kControls,
};

}  // namespace

const DialogTemplate& aboutDialogTemplate() {
    return kAboutDialog;
}

}  // namespace tessaline
