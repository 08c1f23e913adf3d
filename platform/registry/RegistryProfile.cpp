#include "platform/registry/RegistryProfile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessaline {

namespace {

// An open registry key, closed when it goes.
class OpenKey {
  public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool openToRead(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_) ==
               ERROR_SUCCESS;
    }
    bool openToWrite(const std::string& path) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A NUL inside a name or text would cut it short, and it would reach another value: such
// names are nobody's settings.
bool isUsableName(const std::string& name) {
    return name.find('\0') == std::string::npos;
}

}  // namespace

RegistryProfile::RegistryProfile(std::string application, std::string organisation)
    : root_("Software\\" + organisation + "\\" + application) {}

std::string RegistryProfile::keyPath(const std::string& section) const {
    return section.empty() ? root_ : root_ + "\\" + section;
}

int RegistryProfile::readInt(const std::string& section, const std::string& key, int defaultValue) {
    OpenKey opened;
    if (!isUsableName(section) || !isUsableName(key) || !opened.openToRead(keyPath(section))) {
        return defaultValue;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(opened.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return defaultValue;
    }
    // A DWORD holds the int's bits: -1 is stored as FFFFFFFF.
    std::int32_t result = 0;
    std::memcpy(&result, &value, sizeof(result));
    return result;
}

void RegistryProfile::writeInt(const std::string& section, const std::string& key, int value) {
    OpenKey opened;
    if (!isUsableName(section) || !isUsableName(key) || !opened.openToWrite(keyPath(section))) {
        return;
    }
    DWORD stored = 0;
    std::memcpy(&stored, &value, sizeof(stored));
    RegSetValueExA(opened.get(), key.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                   sizeof(stored));
}

std::string RegistryProfile::readText(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) {
    OpenKey opened;
    if (!isUsableName(section) || !isUsableName(key) || !opened.openToRead(keyPath(section))) {
        return defaultValue;
    }
    // Room for the longest text we take, its terminator, and one byte to tell a longer one.
    std::vector<char> buffer(kMaxProfileText + 2, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExA(opened.get(), key.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return defaultValue;
    }
    // The stored bytes need not end in a terminator; the text ends at the first one there is.
    const std::size_t stored = std::min<std::size_t>(size, buffer.size());
    const std::string text(buffer.data(), strnlen(buffer.data(), stored));
    return text.size() > kMaxProfileText ? defaultValue : text;
}

void RegistryProfile::writeText(const std::string& section, const std::string& key,
                                const std::string& value) {
    OpenKey opened;
    if (!isUsableName(section) || !isUsableName(key) || !isUsableName(value) ||
        value.size() > kMaxProfileText || !opened.openToWrite(keyPath(section))) {
        return;
    }
    RegSetValueExA(opened.get(), key.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

}  // namespace tessaline
