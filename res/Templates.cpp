#include "res/Templates.h"

namespace tessaline {

const DialogTemplate* findDialogTemplate(int id) {
    for (const DialogTemplate* candidate : {&mainDialogTemplate(), &progressPopupTemplate()}) {
        if (candidate->id == id) {
            return candidate;
        }
    }
    return nullptr;
}

}  // namespace tessaline
