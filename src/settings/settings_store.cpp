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

}  // namespace lumbrook::settings
