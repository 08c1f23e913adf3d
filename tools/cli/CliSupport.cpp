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

void ConsoleBoxes::show(const std::string& text, const std::string& caption, BoxIcon) {
    std::lock_guard guard(outLock_);
    err_ << (caption.empty() ? std::string("tessaline-cli") : caption) << ": " << text << '\n'
         << std::flush;
}

void ConsoleBoxes::showLater(const std::string& text, const std::string& caption, BoxIcon icon) {
    show(text, caption, icon);
}

}  // namespace tessaline::cli
