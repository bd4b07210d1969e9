#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumbrook/registry.h"
#include "support/test_environment.h"

namespace {

using lumbrook::testing::FileMode;
using lumbrook::testing::ReadFile;
using lumbrook::testing::ScopedConfigHome;
using lumbrook::testing::WriteFile;

HKEY Create(const char* path, REGSAM access, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                              nullptr, &key, disposition),
              ERROR_SUCCESS)
        << path;
    return key;
}

LONG SetText(HKEY key, const char* name, const std::string& text, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

std::string SubkeyName(HKEY key, DWORD index) {
    char name[256];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    return std::string(name, length);
}

TEST(Registry, CreateMakesEveryKeyOnThePathAndKeepsItsCase) {
    ScopedConfigHome home;
    DWORD disposition = 0;
    HKEY key = Create("Software\\Velmora\\Lumbrook", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    // The same path in other letter case opens the keys made above.
    key = Create("SOFTWARE\\velmora\\LUMBROOK\\Preferences", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    key = Create("software\\VELMORA", KEY_READ, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(SubkeyName(key, 0), "Lumbrook");
    char name[8];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
    EXPECT_NE(ReadFile(home.HivePath())
                  .find("[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]"),
              std::string::npos);

    HKEY none = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &none),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\\\b", 0, nullptr, 0, KEY_READ, nullptr, &none,
                              nullptr),
              ERROR_BAD_PATHNAME);
    // Names that the file could not hold on one line are refused, not written.
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\nb", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &none, nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "line\nfeed", "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(reinterpret_cast<HKEY>(0x12345), "a", 0, nullptr, 0, KEY_READ,
                              nullptr, &none, nullptr),
              ERROR_INVALID_HANDLE);
}

TEST(Registry, AReadOnlyHandleChangesNothing) {
    ScopedConfigHome home;
    HKEY writer = Create("Software\\Test", KEY_READ | KEY_WRITE);
    ASSERT_EQ(SetText(writer, "Kept", "old"), ERROR_SUCCESS);
    const std::string before = ReadFile(home.HivePath());
    HKEY reader = Create("Software\\Test", KEY_READ);
    EXPECT_EQ(SetText(reader, "Kept", "new"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "Kept"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(reader, ""), ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(reader, "Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadFile(home.HivePath()), before);
    // A handle without query rights cannot read either.
    HKEY blind = Create("Software\\Test", KEY_SET_VALUE);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(blind, "Kept", nullptr, &type, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    for (HKEY key : {writer, reader, blind})
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
}

TEST(Registry, ValuesByNameAndByIndex) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Values", KEY_ALL_ACCESS);
    ASSERT_EQ(SetText(key, "Filter", "60,20,10,1"), ERROR_SUCCESS);
    const BYTE dword[4] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, dword, 4), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key, nullptr, "the default"), ERROR_SUCCESS);
    // Another spelling of a name replaces the value and keeps the first spelling.
    ASSERT_EQ(SetText(key, "FILTER", "1,2,3,4"), ERROR_SUCCESS);

    DWORD values = 0, longestName = 0, longestData = 0, subkeys = 9;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               &longestName, &longestData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(longestName, 6u);   // "Filter"
    EXPECT_EQ(longestData, 12u);  // "the default" and its NUL

    char name[16];
    BYTE data[16];
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &dataLength),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameLength), "Filter");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), dataLength), std::string("1,2,3,4\0", 8));
    // Buffers that are too small: ERROR_MORE_DATA, and the data size needed.
    nameLength = 6;  // no room for the NUL
    dataLength = sizeof data;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &dataLength),
              ERROR_MORE_DATA);
    nameLength = sizeof name;
    dataLength = 3;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, &type, data, &dataLength),
              ERROR_MORE_DATA);
    EXPECT_EQ(dataLength, 12u);
    nameLength = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 3, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);

    dataLength = 0;
    EXPECT_EQ(RegQueryValueExA(key, "count", nullptr, &type, nullptr, &dataLength), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(dataLength, 4u);
    dataLength = 0;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, nullptr, &dataLength), ERROR_SUCCESS);
    EXPECT_EQ(dataLength, 12u);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteValueA(key, "COUNT"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Count"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST(Registry, DeletingKeys) {
    ScopedConfigHome home;
    RegCloseKey(Create("Software\\Parent\\Child", KEY_ALL_ACCESS));
    HKEY child = Create("Software\\Parent\\Child", KEY_ALL_ACCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\parent\\CHILD"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent\\Child"), ERROR_FILE_NOT_FOUND);
    // A handle whose key is gone says so.
    EXPECT_EQ(SetText(child, "v", "x"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(child);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
}

TEST(Registry, TheFileIsPrivate) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Secret", KEY_ALL_ACCESS);
    ASSERT_EQ(SetText(key, "ODBCConnect", "password=qx"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(FileMode(home.HivePath()), 0600);
    EXPECT_EQ(FileMode(home.path() + "/lumbrook"), 0700);
    // A file someone made readable by others is private again after the next change.
    chmod(home.HivePath().c_str(), 0644);
    key = Create("Software\\Secret", KEY_ALL_ACCESS);
    ASSERT_EQ(SetText(key, "ODBCConnect", "password=other"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(FileMode(home.HivePath()), 0600);
}

TEST(Registry, AFileThatCannotBeParsedIsNeverOverwritten) {
    for (const std::string& damaged :
         {std::string("this is not a registry file\n"),
          std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Pref"),
          std::string("REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"v\"=\"unterminated")}) {
        ScopedConfigHome home;
        WriteFile(home.HivePath(), damaged);
        // Reads see an empty hive.
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND);
        DWORD values = 9;
        EXPECT_EQ(RegQueryInfoKeyA(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, &values, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(values, 0u);
        // Changes fail and leave the file byte for byte as it was.
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_BADDB);
        EXPECT_EQ(SetText(HKEY_CURRENT_USER, "v", "x"), ERROR_BADDB);
        EXPECT_EQ(ReadFile(home.HivePath()), damaged);
    }
}

TEST(Registry, OtherProcessesChangesAreSeenThroughAnOpenHandle) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Live", KEY_READ);
    DWORD values = 9;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
    // As if another process had written the file.
    WriteFile(home.HivePath(), "REGEDIT4\n[HKCU\\Software\\Live]\n\"Added\"=\"yes\"\n");
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    RegCloseKey(key);
}

TEST(Registry, VersionRecord) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(sizeof version, 148u);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    version.dwOSVersionInfoSize = 100;
    version.dwPlatformId = 77;
    EXPECT_FALSE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, 77u);
}

}  // namespace
