#pragma once

#include <string>

#include "platform/Profile.h"

namespace tessaline {

// The settings store on Windows: the registry key
// HKEY_CURRENT_USER\Software\<organisation>\<application>, where the window keeps its settings
// too. The section with the empty name is that key itself; another section is a subkey of it.
// Integers are REG_DWORD values; the device names are REG_SZ values. A value of another type,
// size or length reads as missing.
class RegistryProfile final : public Profile {
  public:
    explicit RegistryProfile(std::string application,
                             std::string organisation = kSettingsOrganisation);

    int readInt(const std::string& section, const std::string& key, int defaultValue) override;
    void writeInt(const std::string& section, const std::string& key, int value) override;
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
    void writeText(const std::string& section, const std::string& key,
                   const std::string& value) override;

    // The key's path under HKEY_CURRENT_USER.
    std::string keyPath(const std::string& section) const;

  private:
    std::string root_;
};

}  // namespace tessaline
