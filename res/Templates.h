#pragma once

#include "res/DialogTemplate.h"

namespace tessaline {

const DialogTemplate& mainDialogTemplate();
const DialogTemplate& progressPopupTemplate();
// The template with this id, or null.
const DialogTemplate* findDialogTemplate(int id);

}  // namespace tessaline
