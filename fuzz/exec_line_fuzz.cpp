// The browser fallback's inputs: a mimeapps.list, the Exec value of the desktop entry it names,
// and the link target.
//
// The input is split at its first two NUL bytes into the mimeapps.list text, the Exec value and
// the target (which keeps any further NUL bytes: no argument can carry one, so such a target
// must start nothing). Whatever the three hold, the target comes out as exactly one argument,
// byte for byte, never as the program, and the other arguments do not depend on it. The same
// holds along the whole fallback: the files read back from disk, the Exec value of the entry the
// mimeapps.list names, the program that would be started.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/Shell.h"
#include "platform/qt/DesktopExec.h"
#include "platform/qt/XdgAssociations.h"
#include "ui/about/LinkTarget.h"

namespace {

using namespace tessaline;
using fuzz::check;
namespace fs = std::filesystem;

// A byte that neither the Exec value nor its string escapes can produce: as a target, wherever it
// lands, it can only have come from the target.
std::optional<char> markerFor(std::string_view exec) {
    constexpr std::string_view kFromEscapes = " \n\t\r\\";
    for (int value = 1; value < 256; ++value) {
        const char c = static_cast<char>(value);
        if (exec.find(c) == std::string_view::npos &&
            kFromEscapes.find(c) == std::string_view::npos) {
            return c;
        }
    }
    return std::nullopt;
}

// The arguments for `target` are those for a one-byte marker, with the target in the marker's
// place: one argument holds it once, the program never does, and nothing else changes.
void checkTargetIsOneArgument(std::string_view exec, std::string_view target) {
    const std::optional<std::vector<std::string>> arguments = execArguments(exec, target);
    if (target.find('\0') != std::string_view::npos) {
        check(!arguments);
        return;
    }
    const std::optional<char> marker = markerFor(exec);
    if (!marker) {
        return;
    }
    const std::optional<std::vector<std::string>> probe =
        execArguments(exec, std::string_view(&*marker, 1));
    check(arguments.has_value() == probe.has_value());
    if (!probe) {
        return;
    }
    check(arguments->size() == probe->size() && probe->size() >= 2);
    std::size_t holders = 0;
    for (std::size_t i = 0; i < probe->size(); ++i) {
        const std::string& withMarker = (*probe)[i];
        const std::size_t at = withMarker.find(*marker);
        if (at == std::string::npos) {
            check((*arguments)[i] == withMarker);
            continue;
        }
        ++holders;
        check(i > 0 && withMarker.find(*marker, at + 1) == std::string::npos);
        std::string expected = withMarker;
        expected.replace(at, 1, target);
        check((*arguments)[i] == expected);
    }
    check(holders == 1);
}

// The freedesktop files in a folder of this process's own, written anew for each input.
class XdgFiles {
  public:
    XdgFiles() : root_(scratch() / ("tessaline-fuzz-exec-line-" + std::to_string(::getpid()))) {
        dirs_.configDirs = {root_ / "config"};
        dirs_.dataDirs = {root_ / "data"};
        fs::create_directories(root_ / "config");
        fs::create_directories(root_ / "data" / "applications" / "vendor");
    }
    ~XdgFiles() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // One entry at the top of applications/, one in a vendor folder, both with this Exec value.
    void write(std::string_view mimeapps, std::string_view exec) {
        std::ofstream(root_ / "config" / "mimeapps.list", std::ios::binary) << mimeapps;
        const std::string entry = "[Desktop Entry]\nName=Web\nExec=" + std::string(exec) + "\n";
        std::ofstream(root_ / "data" / "applications" / "web.desktop", std::ios::binary) << entry;
        std::ofstream(root_ / "data" / "applications" / "vendor" / "app.desktop", std::ios::binary)
            << entry;
    }
    const XdgDirs& dirs() const { return dirs_; }

  private:
    // In memory where there is such a place: a disk file system may flush every file rewritten in
    // place, which costs a hundred times the run itself.
    static fs::path scratch() {
        std::error_code error;
        return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm")
                                                   : fs::temp_directory_path();
    }

    fs::path root_;
    XdgDirs dirs_;
};

// A desktop that cannot open the target itself, so the fallback reads the files and would start
// the browser's open command.
class FallbackShell final : public Shell {
  public:
    explicit FallbackShell(const XdgDirs& dirs) : dirs_(dirs) {}

    int open(const std::string&) override { return shellresult::NoAssociation; }
    int readClassesRootValue(const std::string& key, std::string& value) override {
        const int code = readXdgAssociation(dirs_, key, value);
        if (code == assocresult::Ok) {
            (key == ".htm" ? handler : openCommand) = value;
        }
        return code;
    }
    int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                     int) override {
        started.assign(1, program);
        started.insert(started.end(), arguments.begin(), arguments.end());
        return shellresult::Started;
    }
    void beep() override {}

    std::string handler;
    std::string openCommand;
    std::vector<std::string> started;

  private:
    const XdgDirs& dirs_;
};

void checkFallback(XdgFiles& files, std::string_view mimeapps, std::string_view exec,
                   const std::string& target) {
    files.write(mimeapps, exec);
    FallbackShell shell(files.dirs());
    openLinkTarget(shell, target, SW_SHOW);
    if (!shell.handler.empty()) {
        // Only an installed entry that the file names is taken.
        check(mimeapps.find(shell.handler) != std::string_view::npos);
        check(findDesktopEntry(files.dirs(), shell.handler).has_value());
    }
    if (!shell.started.empty()) {
        check(execArguments(shell.openCommand, target) == shell.started);
        checkTargetIsOneArgument(shell.openCommand, target);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    static XdgFiles files;
    const std::string_view text(reinterpret_cast<const char*>(input), size);
    const std::size_t first = text.find('\0');
    const std::size_t second = first == std::string_view::npos ? first : text.find('\0', first + 1);
    if (second == std::string_view::npos) {
        return 0;
    }
    const std::string_view mimeapps = text.substr(0, first);
    const std::string_view exec = text.substr(first + 1, second - first - 1);
    const std::string target(text.substr(second + 1));
    checkTargetIsOneArgument(exec, target);
    checkFallback(files, mimeapps, exec, target);
    return 0;
}
