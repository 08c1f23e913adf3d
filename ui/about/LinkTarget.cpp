#include "ui/about/LinkTarget.h"

#include <cstdio>

#include "platform/qt/DesktopExec.h"

namespace tessaline {

std::string normaliseLinkTarget(const std::string& text) {
    // Already a mail target: a second prefix would make it unopenable.
    if (text.rfind("mailto:", 0) == 0) {
        return text;
    }
    if (text.find('@') != std::string::npos) {
        return "mailto:" + text;
    }
    return text;
}

std::optional<std::vector<std::string>> fallbackArguments(const std::string& openCommand,
                                                          const std::string& target) {
    std::optional<std::vector<std::string>> arguments = execArguments(openCommand, target);
    if (!arguments) {
        return std::nullopt;
    }
    std::size_t size = 0;
    for (const std::string& argument : *arguments) {
        size += argument.size() + 1;  // its blank, or the terminator after the last
    }
    if (size > kFallbackCommandSize) {
        return std::nullopt;
    }
    return arguments;
}

int readClassesRootValue(Shell& shell, const std::string& key, std::string& value) {
    std::string read;
    const int code = shell.readClassesRootValue(key, read);
    if (code != assocresult::Ok) {
        return code;
    }
    if (read.size() + 1 > kAssociationValueSize) {
        return assocresult::MoreData;
    }
    value = read;
    return assocresult::Ok;
}

int openLinkTarget(Shell& shell, const std::string& target, int show) {
    const int opened = shell.open(target);
    if (static_cast<unsigned>(opened) > 32) {
        return opened;
    }
    std::string value;
    if (readClassesRootValue(shell, ".htm", value) != assocresult::Ok) {
        return opened;
    }
    std::string openCommand;
    if (readClassesRootValue(shell, value + "\\shell\\open\\command", openCommand) !=
        assocresult::Ok) {
        return opened;
    }
    const std::optional<std::vector<std::string>> arguments =
        fallbackArguments(openCommand, target);
    if (!arguments) {
        return opened;
    }
    return shell.startProgram(arguments->front(), {arguments->begin() + 1, arguments->end()}, show);
}

namespace {

struct ErrorText {
    int code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30,
     "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
     "processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

}  // namespace

std::string linkErrorText(int code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "Unknown Error (%d) occurred.", code);
    return text;
}

std::string linkErrorMessage(int code) {
    return "Can't open link:\n\n" + linkErrorText(code);
}

}  // namespace tessaline
