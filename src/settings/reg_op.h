// RegOp: the program's registry access class. One object addresses one key below a root
// hive, opens it when an operation first needs it, with the rights that operation needs,
// and converts between registry data and tagged values. The settings store makes a fresh
// object for every single read or write. All failures are silent: a key that cannot be
// opened reads as empty and takes no write.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "lumbrook/registry.h"
#include "settings/tagged_value.h"

namespace lumbrook::settings {

// The text a value of a type RegOp does not read comes back as.
inline constexpr const char* kUnsupportedDataFormat = "(unsupported data format)";

class RegOp {
  public:
    // Starts on HKEY_CURRENT_USER with nothing open. On the NT family (what GetVersionExA
    // reports here) each open asks for the rights of its operation: read for a read, read
    // and write for a write.
    RegOp();
    // Closes the key if it is open.
    ~RegOp();
    RegOp(const RegOp&) = delete;
    RegOp& operator=(const RegOp&) = delete;

    // The root hive handle, as its 32-bit value; HKEY_CURRENT_USER after construction.
    void Root(std::int32_t lProp);
    // The key path below the root, without a leading backslash; nothing is opened yet.
    void Key(const std::string& strProp);
    // Writes one value. Over an existing REG_DWORD a text that reads as a number is stored
    // as REG_DWORD (rounded, halves to even); over a value of a type other than REG_SZ,
    // REG_EXPAND_SZ, REG_DWORD or REG_MULTI_SZ nothing is written. Otherwise the text is
    // stored as REG_EXPAND_SZ when it refers to a defined environment variable, else as
    // REG_SZ, with one NUL after it.
    void Value(const std::string& ValueName, const std::string& vValue);
    // The value of that name (without regard to case), or empty when there is none.
    TaggedValue Value(const std::string& ValueName);

  private:
    // Orders the value names of oValues as the registry matches them, without regard to the
    // case of ASCII letters, so a lookup finds a name in any letter case.
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    // Opens the key with lAccess when it is not open yet (creating missing keys); false when
    // no handle could be had.
    bool OpenKey();
    // Closes the handle, if one is open; the next operation opens the key again.
    void CloseKey();
    // Takes lValueCount, lMaxValueNameLen and lMaxValueLen from the open key.
    void ReadKeyInfo();
    // Fills oValues from the open key; false when a value had grown past the buffers sized
    // by the key information, so that the enumeration must start over.
    bool EnumerateValues();

    // Fields, in the order the class declares them.
    std::int32_t lAccess = 0;  // rights for the next open; 0 outside the NT family
    std::int32_t lRoot = 0;
    std::string strKey;
    HKEY hKey = nullptr;
    std::int32_t lValueCount = 0;
    std::int32_t lMaxValueNameLen = 0;
    std::int32_t lMaxValueLen = 0;
    bool bIsNT = false;
    std::map<std::string, TaggedValue, NameLess> oValues;

    // The rights hKey was opened with: an operation that needs more reopens the key, so a
    // write after a read on the same object is not lost.
    std::int32_t lOpenAccess = 0;
};

}  // namespace lumbrook::settings
