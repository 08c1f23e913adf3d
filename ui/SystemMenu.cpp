#include "ui/SystemMenu.h"

namespace tessaline {

std::vector<SystemMenuEntry> standardSystemMenu() {
    return {
        {SC_MINIMIZE, QStringLiteral("Mi&nimize")},
        {SC_CLOSE, QStringLiteral("&Close")},
    };
}

}  // namespace tessaline
