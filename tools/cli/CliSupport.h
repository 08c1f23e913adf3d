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

  private:
    Profile* base_;
    std::mutex mutex_;
    std::map<std::string, int> values_;
};

// Message boxes as lines on the error stream: "MIDI Out Error: <text>".
class ConsoleBoxes final : public MessageBoxes {
  public:
    ConsoleBoxes(std::ostream& err, std::mutex& outLock) : err_(err), outLock_(outLock) {}
    void show(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void showLater(const std::string& text, const std::string& caption, BoxIcon icon) override;

  private:
    std::ostream& err_;
    std::mutex& outLock_;
};

}  // namespace tessaline::cli
