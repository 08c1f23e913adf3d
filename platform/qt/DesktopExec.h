#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// The program and arguments that a desktop entry's Exec value starts for one document, read by
// the freedesktop Desktop Entry rules: the string escapes (\s \n \t \r \\) first, then blanks
// between arguments, double quotes around an argument with \" \` \$ \\ inside them, then the
// field codes. The first %f %F %u %U outside quotes is the target, later ones are dropped; with
// none the target is appended. Either way the target lands whole in one argument, never parsed
// itself. %% is a percent sign, also inside quotes; %i %c %k and the deprecated codes are
// dropped, since we pass no icon, name or entry location.
//
// No value when the line cannot be run as written: an unclosed quote, a field code the rules do
// not know, a lone % at the end, no program, a program named by the target, or a NUL byte in
// either input (no program's argument can hold one).
//
// A field code inside quotes is left as text: a quoted argument is often a script for the program
// it is given to (sh -c "open %u"), and the target spliced into it would run as code.
std::optional<std::vector<std::string>> execArguments(std::string_view exec,
                                                      std::string_view target);

}  // namespace tessaline
