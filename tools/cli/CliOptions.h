#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "midi/DeliverySettings.h"

namespace tessaline::cli {

enum class Command { None, Devices, Identify, Voice, Performance, Copy, Undo, Backup, Restore };
enum class Destination { Performance, SongMix };

// A voice as the user writes it: BANK:LNN, e.g. PRE1:A01, USER2:H16, GM:C05.
struct VoiceSpec {
    std::string bank;  // upper case
    int letter = 0;    // 0..7 for A..H
    int number = 0;    // 0..15 for 01..16
    int program() const { return letter * 16 + number; }
};

// A performance as LNN, e.g. B16.
struct ProgramSpec {
    int letter = 0;
    int number = 0;
    int program() const { return letter * 16 + number; }
};

struct CopySpec {
    VoiceSpec voice;
    Destination destination = Destination::Performance;
    ProgramSpec performance;  // for Destination::Performance
    int part = 0;             // as the user counts: 1-based
    bool sysFx = false;
    bool insFx = false;
    bool name = false;
    bool verify = true;  // compare the instrument's answer with what was sent
    bool backup = true;  // keep the destination as it was before the first write
};

// A destination kept without a copy: a performance or the song mix.
struct BackupSpec {
    Destination destination = Destination::Performance;
    ProgramSpec performance;         // for Destination::Performance
    std::optional<std::string> out;  // the file to write; none: the backups folder
};

// A path longer than any file system takes is a mistake, not a file.
inline constexpr std::size_t kMaxPathLength = 4096;

inline constexpr int kMinTimeoutMs = 100;
inline constexpr int kMaxTimeoutMs = 600000;

struct CliOptions {
    std::optional<int> inDevice;
    std::optional<int> outDevice;
    std::optional<std::string> deviceText;
    int timeoutMs = 4000;
    std::optional<SendSpeed> pace;  // none: the stored speed, or the output's default
    bool trace = false;
    // --help or --version: the program answers and ends, whatever follows on the line.
    bool showHelp = false;
    bool showVersion = false;
    Command command = Command::None;
    bool watch = false;       // devices: go on, printing each device that comes or goes
    VoiceSpec voice;          // voice
    ProgramSpec performance;  // performance
    CopySpec copy;            // copy
    BackupSpec backup;        // backup
    std::string restoreFile;  // restore
};

struct ParseResult {
    CliOptions options;
    std::string error;  // empty when the command line is usable
};

ParseResult parseCommandLine(const std::vector<std::string>& args);
std::optional<VoiceSpec> parseVoiceSpec(const std::string& text);
std::optional<ProgramSpec> parseProgramSpec(const std::string& text);
std::string usageText();

}  // namespace tessaline::cli
