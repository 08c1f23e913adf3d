#pragma once

#include <map>
#include <mutex>
#include <ostream>
#include <string>

#include "platform/MessageBoxes.h"
#include "platform/Profile.h"

namespace tessaline::cli {

// Reads fall through to the user's settings store unless the command line chose a value; the
// command line never writes the user's settings.
class OverlayProfile final : public Profile {
  public:
    explicit OverlayProfile(Profile* base) : base_(base) {}
    int readInt(const std::string& section, const std::string& key, int defaultValue) override;
    void writeInt(const std::string& section, const std::string& key, int value) override;
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override;

  private:
    Profile* base_;
    std::mutex mutex_;
    std::map<std::string, int> values_;
    std::map<std::string, std::string> texts_;
};

// Message boxes as lines on the error stream: "MIDI Out Error: <text>". A line that repeats the
// one before it (every message of a copy to a device that went away) is counted, not printed
// again: "(the same N more times)" follows once another line comes or the boxes go.
class ConsoleBoxes final : public MessageBoxes {
  public:
    ConsoleBoxes(std::ostream& err, std::mutex& outLock) : err_(err), outLock_(outLock) {}
    ~ConsoleBoxes() override;
    ConsoleBoxes(const ConsoleBoxes&) = delete;
    ConsoleBoxes& operator=(const ConsoleBoxes&) = delete;
    void show(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void showLater(const std::string& text, const std::string& caption, BoxIcon icon) override;

  private:
    void reportRepeats();  // under outLock_

    std::ostream& err_;
    std::mutex& outLock_;
    std::string lastLine_;
    long repeats_ = 0;
};

}  // namespace tessaline::cli
