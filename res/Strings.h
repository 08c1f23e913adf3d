#pragma once

#include <string>

namespace tessaline {

// The string resource with this id; empty when there is none.
std::string loadString(int id);

}  // namespace tessaline
