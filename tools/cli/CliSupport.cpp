#include "tools/cli/CliSupport.h"

namespace tessaline::cli {

int OverlayProfile::readInt(const std::string& section, const std::string& key, int defaultValue) {
    {
        std::lock_guard guard(mutex_);
        auto it = values_.find(section + "\n" + key);
        if (it != values_.end()) {
            return it->second;
        }
    }
    return base_ != nullptr ? base_->readInt(section, key, defaultValue) : defaultValue;
}

void OverlayProfile::writeInt(const std::string& section, const std::string& key, int value) {
    std::lock_guard guard(mutex_);
    values_[section + "\n" + key] = value;
}

std::string OverlayProfile::readText(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) {
    {
        std::lock_guard guard(mutex_);
        auto it = texts_.find(section + "\n" + key);
        if (it != texts_.end()) {
            return it->second;
        }
    }
    return base_ != nullptr ? base_->readText(section, key, defaultValue) : defaultValue;
}

void OverlayProfile::writeText(const std::string& section, const std::string& key,
                               const std::string& value) {
    std::lock_guard guard(mutex_);
    texts_[section + "\n" + key] = value;
}

ConsoleBoxes::~ConsoleBoxes() {
    std::lock_guard guard(outLock_);
    reportRepeats();
}

void ConsoleBoxes::reportRepeats() {
    if (repeats_ > 0) {
        err_ << "(the same " << repeats_ << " more time" << (repeats_ == 1 ? "" : "s") << ")\n"
             << std::flush;
        repeats_ = 0;
    }
}

void ConsoleBoxes::show(const std::string& text, const std::string& caption, BoxIcon) {
    const std::string line =
        (caption.empty() ? std::string("tessaline-cli") : caption) + ": " + text;
    std::lock_guard guard(outLock_);
    if (line == lastLine_) {
        ++repeats_;
        return;
    }
    reportRepeats();
    lastLine_ = line;
    err_ << line << '\n' << std::flush;
}

void ConsoleBoxes::showLater(const std::string& text, const std::string& caption, BoxIcon icon) {
    show(text, caption, icon);
}

}  // namespace tessaline::cli
