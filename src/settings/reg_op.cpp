#include "settings/reg_op.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/base/ascii_case.h"
#include "settings/environment_reference.h"
#include "settings/text_to_number.h"

namespace lumbrook::settings {
namespace {

constexpr std::int32_t kReadAccess = KEY_READ;
constexpr std::int32_t kReadWriteAccess = KEY_READ | KEY_WRITE;

// How often a read enumerates the key afresh when values keep growing under it.
constexpr int kMaxEnumerations = 16;

// The data before its first NUL.
std::string TextBeforeNul(const std::vector<char>& data) {
    return std::string(data.data(), std::find(data.begin(), data.end(), '\0') - data.begin());
}

// A REG_MULTI_SZ as one string: the data before its first two consecutive NULs, so its parts
// stay separated by single NULs. Data without that end is taken whole, less a final NUL.
std::string MultiTextBeforeDoubleNul(const std::vector<char>& data, std::size_t size) {
    const std::string_view all(data.data(), std::min(size + 1, data.size()));
    const std::size_t end = all.find(std::string_view("\0\0", 2));
    if (end != std::string_view::npos)
        return std::string(all.substr(0, end));
    std::string_view text = all;
    if (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

bool RegOp::NameLess::operator()(const std::string& a, const std::string& b) const {
    return platform::LessIgnoringAsciiCase(a, b);
}

RegOp::RegOp() {
    lRoot = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(HKEY_CURRENT_USER));
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    bIsNT = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (bIsNT)
        lAccess = kReadAccess;
}

RegOp::~RegOp() {
    CloseKey();
}

void RegOp::Root(std::int32_t lProp) {
    lRoot = lProp;
}

void RegOp::Key(const std::string& strProp) {
    strKey = strProp;
}

void RegOp::CloseKey() {
    if (hKey != nullptr) {
        // Closing a handle this object opened cannot fail in a way worth reporting.
        RegCloseKey(hKey);
        hKey = nullptr;
    }
}

bool RegOp::OpenKey() {
    if (hKey != nullptr && (lOpenAccess & lAccess) != lAccess)
        CloseKey();
    if (hKey != nullptr)
        return true;
    // The root's 32-bit value widens with its sign, as the platform's predefined handles do.
    const HKEY root = reinterpret_cast<HKEY>(static_cast<std::intptr_t>(lRoot));
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, strKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        static_cast<REGSAM>(lAccess), nullptr, &opened, nullptr) != ERROR_SUCCESS ||
        opened == nullptr) {
        return false;
    }
    hKey = opened;
    lOpenAccess = lAccess;
    ReadKeyInfo();
    oValues.clear();
    return true;
}

void RegOp::ReadKeyInfo() {
    DWORD valueCount = 0;
    DWORD maxNameLength = 0;
    DWORD maxDataLength = 0;
    if (RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                         &maxNameLength, &maxDataLength, nullptr, nullptr) != ERROR_SUCCESS) {
        valueCount = maxNameLength = maxDataLength = 0;
    }
    lValueCount = static_cast<std::int32_t>(valueCount);
    lMaxValueNameLen = static_cast<std::int32_t>(maxNameLength);
    lMaxValueLen = static_cast<std::int32_t>(maxDataLength);
}

TaggedValue RegOp::Value(const std::string& ValueName) {
    if (bIsNT)
        lAccess = kReadAccess;
    if (!OpenKey() || lValueCount <= 0)
        return {};
    // Every registry call reads the hive afresh, so another process may lengthen a value
    // between the key information and the enumeration. A buffer found too small makes the
    // enumeration start over with fresh lengths, as the platform's callers do; a stored
    // value is then never passed over.
    for (int attempt = 1; !EnumerateValues() && attempt < kMaxEnumerations; ++attempt)
        ReadKeyInfo();
    const auto it = oValues.find(ValueName);
    return it == oValues.end() ? TaggedValue{} : it->second;
}

bool RegOp::EnumerateValues() {
    oValues.clear();
    bool complete = true;
    for (std::int32_t i = 0; i < lValueCount; ++i) {
        // Both buffers start filled with NUL and have one character to spare, so the text
        // readers below always find an end.
        std::vector<char> name(static_cast<std::size_t>(lMaxValueNameLen) + 1, '\0');
        std::vector<char> data(static_cast<std::size_t>(lMaxValueLen) + 1, '\0');
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(hKey, static_cast<DWORD>(i), name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<LPBYTE>(data.data()), &dataLength);
        if (result == ERROR_MORE_DATA)
            complete = false;
        if (result != ERROR_SUCCESS)
            continue;
        const std::string valueName = TextBeforeNul(name);
        TaggedValue value;
        switch (type) {
            case REG_SZ:
            case REG_EXPAND_SZ:
                // Environment references stay as they are.
                value = TextBeforeNul(data);
                break;
            case REG_DWORD: {
                if (dataLength < 4)
                    continue;  // not a readable DWORD: no entry
                const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
                const std::uint32_t number = bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                             static_cast<std::uint32_t>(bytes[3]) << 24;
                value = static_cast<std::int32_t>(number);
                break;
            }
            case REG_MULTI_SZ:
                value = MultiTextBeforeDoubleNul(data, dataLength);
                break;
            default:
                value = std::string(kUnsupportedDataFormat);
                break;
        }
        // A name already there in other letter case is replaced, keeping one entry.
        oValues.erase(valueName);
        oValues.emplace(valueName, std::move(value));
    }
    return complete;
}

void RegOp::Value(const std::string& ValueName, const std::string& vValue) {
    if (bIsNT)
        lAccess = kReadWriteAccess;
    if (!OpenKey())
        return;
    DWORD existingType = 0;
    const bool exists = RegQueryValueExA(hKey, ValueName.c_str(), nullptr, &existingType, nullptr,
                                         nullptr) == ERROR_SUCCESS;
    if (exists && existingType == REG_DWORD) {
        // A text that is not a 32-bit number is stored as text below rather than refused.
        const auto number = ReadWholeNumber(vValue);
        if (const auto rounded = number ? RoundToInt32(*number) : std::nullopt) {
            const auto bits = static_cast<std::uint32_t>(*rounded);
            const BYTE data[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                                  static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
            // Failures are silent, as every registry failure of this class.
            RegSetValueExA(hKey, ValueName.c_str(), 0, REG_DWORD, data, sizeof data);
            return;
        }
    } else if (exists && existingType != REG_SZ && existingType != REG_EXPAND_SZ &&
               existingType != REG_MULTI_SZ) {
        return;  // a value of another type is never overwritten
    }
    const DWORD type = ReferencesEnvironment(vValue) ? REG_EXPAND_SZ : REG_SZ;
    // The text and one NUL: an empty text is stored as a single NUL byte.
    RegSetValueExA(hKey, ValueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(vValue.c_str()),
                   static_cast<DWORD>(vValue.size() + 1));
}

}  // namespace lumbrook::settings
