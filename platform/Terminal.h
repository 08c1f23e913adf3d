#pragma once

namespace tessaline {

// True when standard input is a terminal, where a person can answer a question.
bool standardInputIsTerminal();

}  // namespace tessaline
