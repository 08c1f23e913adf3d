#pragma once

#include <QString>
#include <mutex>

#include "platform/Profile.h"

namespace tessaline {

// The per-user settings store: QSettings in the native format and user scope, under
// <organisation>/<application>. Values are written as integers; a stored value that is not an
// integer reads as missing. A section other than the empty one is a group of its own.
class QtProfile final : public Profile {
  public:
    // An empty application name stands for the running executable's base name.
    explicit QtProfile(QString application = {},
                       QString organisation = QString::fromLatin1(kSettingsOrganisation));

    int readInt(const std::string& section, const std::string& key, int defaultValue) override;
    void writeInt(const std::string& section, const std::string& key, int value) override;
    // A stored value that is not text, or is longer than kMaxProfileText, reads as missing.
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override;

    QString organisation() const { return organisation_; }
    QString application() const;
    // Where the values lie (a file path, or a registry path on Windows).
    QString location() const;

  private:
    QString organisation_;
    QString application_;
    std::mutex mutex_;
};

// The running executable's file name without its extension.
QString executableBaseName();

}  // namespace tessaline
