#pragma once

#include <string>
#include <vector>

namespace tessaline {

// Show mode for started programs: show the program's window normally.
inline constexpr int SW_SHOW = 5;

// Result codes of the shell, in the classic numbering the link code reports. Opening succeeds
// with any value above 32; starting a program with any value above 31.
namespace shellresult {
inline constexpr int OutOfResources = 0;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int OutOfMemory = 8;
inline constexpr int BadFormat = 11;
inline constexpr int SharingViolation = 26;
inline constexpr int AssociationIncomplete = 27;
inline constexpr int DdeTimeout = 28;
inline constexpr int DdeFailed = 29;
inline constexpr int DdeBusy = 30;
inline constexpr int NoAssociation = 31;
inline constexpr int DllNotFound = 32;
inline constexpr int Opened = 42;   // what our shells return for a success
inline constexpr int Started = 33;  // likewise for a started program
}  // namespace shellresult

// Error codes of the association store (0 is success).
namespace assocresult {
inline constexpr int Ok = 0;
inline constexpr int KeyNotFound = 2;
inline constexpr int MoreData = 234;  // the value does not fit the caller's buffer
}  // namespace assocresult

// The desktop's shell: opening documents and addresses, the file associations, starting
// programs and the warning sound.
class Shell {
  public:
    virtual ~Shell() = default;

    // Opens a target (a web address, a "mailto:" address, a file) with the desktop's handler for
    // it, without waiting. Returns a value above 32 on success, else a shellresult code.
    virtual int open(const std::string& target) = 0;

    // The default value of a key of the association store: ".htm" names the handler of web
    // pages, "<handler>\shell\open\command" is that handler's open command, a desktop entry's
    // Exec value, whose field code marks where the document goes. Returns 0 and sets `value`, or
    // returns an error code and leaves `value` unchanged.
    virtual int readClassesRootValue(const std::string& key, std::string& value) = 0;

    // Starts a program with these arguments, each handed over as it stands (no shell ever sees
    // them), without waiting. Returns a value above 31 on success, else a shellresult code.
    virtual int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                             int show) = 0;

    // The exclamation sound.
    virtual void beep() = 0;
};

}  // namespace tessaline
