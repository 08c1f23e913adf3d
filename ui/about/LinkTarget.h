#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Shell.h"

namespace tessaline {

// Buffer sizes of the browser fallback: an association value must fit the first, the command
// line the fallback starts (with its terminator) the second.
inline constexpr std::size_t kAssociationValueSize = 260;
inline constexpr std::size_t kFallbackCommandSize = 520;

// A text containing "@" is a mail address and becomes "mailto:" + text; anything else, and a
// text that already begins with "mailto:", is returned unchanged.
std::string normaliseLinkTarget(const std::string& text);

// The command line the browser fallback starts: the association's open command cut before its
// first quoted "%1" (or, failing that, its first bare "%1"), then a blank and the target. No
// value when the result would not fit the command buffer; such a command is never started,
// since a cut-off target would open something else.
std::optional<std::string> fallbackCommand(const std::string& openCommand,
                                           const std::string& target);

// The default value of a key of the association store, read through a buffer of
// kAssociationValueSize bytes. Returns 0 and sets `value`, or an error code with `value`
// unchanged.
int readClassesRootValue(Shell& shell, const std::string& key, std::string& value);

// Opens the target through the shell; when the shell cannot, starts the web browser's open
// command with the target instead. Returns the shell's result (> 32 success) or, once the
// fallback has started a command, the program start's result.
int openLinkTarget(Shell& shell, const std::string& target, int show);

// The text a failed open reports for a shell result code.
std::string linkErrorText(int code);
// The whole message: "Can't open link:", an empty line, then the text for the code.
std::string linkErrorMessage(int code);

}  // namespace tessaline
