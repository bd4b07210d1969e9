#include "settings/settings_store.h"

#include "settings/reg_op.h"

namespace lumbrook::settings {
namespace {

// The path below HKEY_CURRENT_USER of the key that holds a section's values.
std::string PreferenceKey(const std::string& appName, const std::string& section) {
    return "Software\\Velmora\\" + appName + "\\" + section;
}

}  // namespace

TaggedValue ReadSetting(const std::string& appName, const std::string& section,
                        const std::string& valueName) {
    RegOp reg;
    reg.Root(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(HKEY_CURRENT_USER)));
    reg.Key(PreferenceKey(appName, section));
    return reg.Value(valueName);
}

void WriteSetting(const std::string& appName, const std::string& section,
                  const std::string& valueName, const std::string& value) {
    RegOp reg;
    reg.Root(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(HKEY_CURRENT_USER)));
    reg.Key(PreferenceKey(appName, section));
    reg.Value(valueName, value);
}

bool DeleteSetting(const std::string& appName, const std::string& section,
                   const std::string& valueName) {
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExA(HKEY_CURRENT_USER, PreferenceKey(appName, section).c_str(),
                                         0, KEY_READ | KEY_WRITE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;  // no key, no value
    if (opened != ERROR_SUCCESS)
        return false;
    const LSTATUS deleted = RegDeleteValueA(key, valueName.c_str());
    RegCloseKey(key);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

std::string ConnectionTextToStore(const std::string& text) {
    constexpr const char* kEnds = " \t\r\n";
    const auto first = text.find_first_not_of(kEnds);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kEnds) - first + 1);
}

}  // namespace lumbrook::settings
