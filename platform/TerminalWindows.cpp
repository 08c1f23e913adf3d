#include <io.h>

#include <cstdio>

#include "platform/Terminal.h"

namespace tessaline {

bool standardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

}  // namespace tessaline
