#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace tessaline {

// Sizes of the browser fallback: an association value must fit the first; the program and its
// arguments, a blank between each two and a terminator, the second.
inline constexpr std::size_t kAssociationValueSize = 260;
inline constexpr std::size_t kFallbackCommandSize = 520;

// A text containing "@" is a mail address and becomes "mailto:" + text; anything else, and a
// text that already begins with "mailto:", is returned unchanged.
std::string normaliseLinkTarget(const std::string& text);

// The program and arguments the browser fallback starts: the association's open command, a
// desktop entry's Exec value, with the target whole inside one argument (see execArguments).
// No value when the open command cannot be run as written, or when the whole would not fit
// kFallbackCommandSize.
std::optional<std::vector<std::string>> fallbackArguments(const std::string& openCommand,
                                                          const std::string& target);

// The default value of a key of the association store, read through a buffer of
// kAssociationValueSize bytes. Returns 0 and sets `value`, or an error code with `value`
// unchanged.
int readClassesRootValue(Shell& shell, const std::string& key, std::string& value);

// Opens the target through the shell; when the shell cannot, starts the web browser's open
// command with the target instead. Returns the shell's result (> 32 success) or, once the
// fallback has started a program, the program start's result.
int openLinkTarget(Shell& shell, const std::string& target, int show);

// The text a failed open reports for a shell result code.
std::string linkErrorText(int code);
// The whole message: "Can't open link:", an empty line, then the text for the code.
std::string linkErrorMessage(int code);

}  // namespace tessaline
