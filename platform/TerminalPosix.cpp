#include <unistd.h>

#include "platform/Terminal.h"

namespace tessaline {

bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

}  // namespace tessaline
