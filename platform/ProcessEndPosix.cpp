#include <cstdio>
#include <cstdlib>

#include "platform/ProcessEnd.h"

namespace tessaline {

void endProcessNow(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace tessaline
