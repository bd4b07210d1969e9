// The registry's C interface over real hive files: keys and values, rights, the file's privacy
// and whole replacement, and the calls the command-line host reaches the hive through
// (deleting a tree, the hive's state, export and import of REGEDIT4 files, name comparison).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "lumbrook/registry.h"
#include "support/sync_trace.h"
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

// RegCreateKeyExA below HKEY_CURRENT_USER, for the calls that are to fail.
LONG TryCreate(const char* path, REGSAM access, HKEY* key, HKEY parent = HKEY_CURRENT_USER) {
    return RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, key, nullptr);
}

// The key, opened with every right; null when it is not there.
HKEY Open(const char* path) {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    return key;
}

bool Exists(const char* path) {
    HKEY key = Open(path);
    if (key != nullptr)
        RegCloseKey(key);
    return key != nullptr;
}

struct KeyInfo {
    DWORD subkeys = 99, values = 99, longestName = 99, longestData = 99;
};

KeyInfo Info(HKEY key) {
    KeyInfo info;
    EXPECT_EQ(
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &info.subkeys, nullptr, nullptr,
                         &info.values, &info.longestName, &info.longestData, nullptr, nullptr),
        ERROR_SUCCESS);
    return info;
}

struct stat Lstat(const std::string& path) {
    struct stat info {};
    lstat(path.c_str(), &info);
    return info;
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
    RegCloseKey(key);

    HKEY none = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &none),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(TryCreate("a\\\\b", KEY_READ, &none), ERROR_BAD_PATHNAME);
    // Names that the file could not hold on one line are refused, not written.
    EXPECT_EQ(TryCreate("a\nb", KEY_ALL_ACCESS, &none), ERROR_BAD_PATHNAME);
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "line\nfeed", "x"), ERROR_INVALID_PARAMETER);
    // Data that could never be kept is refused before it is read.
    const BYTE byte = 0;
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "Huge", 0, REG_BINARY, &byte, 0xFFFFFFFFu),
              ERROR_NOT_ENOUGH_QUOTA);
    EXPECT_EQ(TryCreate("a", KEY_READ, &none, reinterpret_cast<HKEY>(0x12345)),
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
    EXPECT_EQ(TryCreate("Child", KEY_READ, &child, reader), ERROR_ACCESS_DENIED);
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

    const KeyInfo info = Info(key);
    EXPECT_EQ(info.values, 3u);
    EXPECT_EQ(info.subkeys, 0u);
    EXPECT_EQ(info.longestName, 6u);   // "Filter"
    EXPECT_EQ(info.longestData, 12u);  // "the default" and its NUL

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

TEST(Registry, OtherProcessesChangesAreSeenThroughAnOpenHandle) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Live", KEY_READ);
    EXPECT_EQ(Info(key).values, 0u);
    // As if another process had written the file.
    WriteFile(home.HivePath(), "REGEDIT4\n[HKCU\\Software\\Live]\n\"Added\"=\"yes\"\n");
    EXPECT_EQ(Info(key).values, 1u);
    RegCloseKey(key);
}

TEST(Registry, EveryChangeReplacesTheFileWhole) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Whole", KEY_ALL_ACCESS);
    const std::function<LONG()> changes[] = {
        [&] { return SetText(key, "First", "one"); },
        [&] { return SetText(key, "first", "two"); },
        [&] { return SetText(key, "Second", std::string(5000, 'x')); },
        [&] { return RegDeleteValueA(key, "FIRST"); },
        [&] { return RegCloseKey(Create("Software\\Whole\\Child", KEY_READ)); },
        [&] { return RegDeleteKeyA(key, "Child"); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        // A reader that opened the file before the change goes on reading the old file whole.
        const std::string old = ReadFile(home.HivePath());
        const ino_t oldInode = Lstat(home.HivePath()).st_ino;
        std::ifstream reader(home.HivePath(), std::ios::binary);
        lumbrook::testing::StartSyncTrace();
        ASSERT_EQ(changes[i](), ERROR_SUCCESS) << i;
        EXPECT_NE(Lstat(home.HivePath()).st_ino, oldInode) << "change " << i << " wrote in place";
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), old) << i;
        // The new file was on disk, whole, before it took the hive's name.
        EXPECT_EQ(lumbrook::testing::SyncedBeforeRenamed(
                      home.HivePath(), static_cast<long long>(ReadFile(home.HivePath()).size())),
                  "")
            << "change " << i;
    }
    // Storing what is there already leaves the file alone.
    const ino_t inode = Lstat(home.HivePath()).st_ino;
    EXPECT_EQ(SetText(key, "Second", std::string(5000, 'x')), ERROR_SUCCESS);
    EXPECT_EQ(Lstat(home.HivePath()).st_ino, inode);
    RegCloseKey(key);
}

// Which bytes fold is the name comparison's business (base_test); here, that subkeys are
// listed in the order of their folded names: "[" before the lower-case letters, a name before
// the longer names it begins, and bytes above 127 after every ASCII one whatever the
// signedness of char.
TEST(Registry, SubkeysAreListedInTheOrderOfTheirFoldedNames) {
    ScopedConfigHome home;
    HKEY key = Create("Software\\Case", KEY_ALL_ACCESS);
    for (const char* name : {"Z", "\xC3\xA9", "B2", "b", "[", "A", "@"})
        RegCloseKey(Create((std::string("Software\\Case\\") + name).c_str(), KEY_READ));
    std::vector<std::string> order;
    for (DWORD i = 0; i < 7; ++i)
        order.push_back(SubkeyName(key, i));
    EXPECT_EQ(order, (std::vector<std::string>{"@", "[", "A", "b", "B2", "Z", "\xC3\xA9"}));
    RegCloseKey(key);
}

// A hive file that does not parse, or a link to a device at the hive path, is never replaced:
// reads see an empty hive, changes fail. Which texts parse: hive_text_test; a FIFO and a
// folder, which take the same test of the file's type: settings.reg_command.
TEST(Registry, AHiveThatCannotBeReadReadsEmptyAndTakesNoChange) {
    const struct {
        const char* what;
        std::function<int(const std::string&)> make;
    } cases[] = {
        {"cut in a value",
         [](const std::string& path) {
             WriteFile(path, "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"v\"=\"unterminated");
             return 0;
         }},
        {"link to a device",
         [](const std::string& path) { return symlink("/dev/null", path.c_str()); }},
    };
    for (const auto& c : cases) {
        ScopedConfigHome home;
        ASSERT_EQ(mkdir((home.path() + "/lumbrook").c_str(), 0700), 0);
        ASSERT_EQ(c.make(home.HivePath()), 0) << c.what;
        const struct stat before = Lstat(home.HivePath());
        const bool regular = S_ISREG(before.st_mode);  // only then can it be read here
        const std::string content = regular ? ReadFile(home.HivePath()) : "";
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND)
            << c.what;
        EXPECT_EQ(Info(HKEY_CURRENT_USER).values, 0u) << c.what;
        // Changes fail, and nothing is put in its place or beside it.
        EXPECT_EQ(TryCreate("Software\\New", KEY_ALL_ACCESS, &key), ERROR_BADDB) << c.what;
        EXPECT_EQ(SetText(HKEY_CURRENT_USER, "v", "x"), ERROR_BADDB) << c.what;
        const struct stat after = Lstat(home.HivePath());
        EXPECT_EQ(after.st_ino, before.st_ino) << c.what;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
        if (regular) {
            EXPECT_EQ(ReadFile(home.HivePath()), content) << c.what;
        }
        EXPECT_FALSE(
            lumbrook::testing::FileExists(home.path() + "/lumbrook/.HKEY_CURRENT_USER.reg.tmp"));
    }
}

TEST(Registry, ALinkAtTheHivePathIsFollowedAndStays) {
    ScopedConfigHome home;
    const std::string target = home.path() + "/dotfiles/lumbrook.reg";
    WriteFile(target, "REGEDIT4\n[HKCU\\Software\\Linked]\n\"Old\"=\"kept\"\n");
    ASSERT_EQ(mkdir((home.path() + "/lumbrook").c_str(), 0700), 0);
    // A relative link, as a repository of dotfiles makes them.
    ASSERT_EQ(symlink("../dotfiles/lumbrook.reg", home.HivePath().c_str()), 0);
    HKEY key = Create("Software\\Linked", KEY_ALL_ACCESS);
    ASSERT_EQ(SetText(key, "New", "written"), ERROR_SUCCESS);
    RegCloseKey(key);
    // The link stays, and the value read through it stays beside the new one.
    EXPECT_TRUE(S_ISLNK(Lstat(home.HivePath()).st_mode));
    EXPECT_EQ(ReadFile(target),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Linked]\n\"Old\"=\"kept\"\n"
              "\"New\"=\"written\"\n");
    EXPECT_EQ(FileMode(target), 0600);
    // A link to a file that is not there yet: the first change makes the file.
    ASSERT_EQ(unlink(target.c_str()), 0);
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "Root", "value"), ERROR_SUCCESS);
    EXPECT_TRUE(S_ISLNK(Lstat(home.HivePath()).st_mode));
    EXPECT_NE(ReadFile(target).find("\"Root\"=\"value\""), std::string::npos);
}

constexpr const char* kHive =
    "REGEDIT4\n\n"
    "[HKEY_CURRENT_USER\\Software\\Velmora]\n\"Top\"=\"1\"\n\n"
    "[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n\"Filter\"=\"100,15,3,0\"\n";

struct HiveState {
    LONG result = 0;
    std::string path;
    std::string reason;
};

HiveState QueryHive() {
    char path[4096];
    char reason[4096];
    DWORD pathLength = sizeof path;
    DWORD reasonLength = sizeof reason;
    const LONG result = RegQueryHiveA(path, &pathLength, reason, &reasonLength);
    return {result, std::string(path, pathLength), std::string(reason, reasonLength)};
}

// RegImportFileA's result and reason.
using Outcome = std::pair<LONG, std::string>;
Outcome Import(const std::string& file) {
    char reason[4096];
    DWORD length = sizeof reason;
    const LONG result = RegImportFileA(file.c_str(), reason, &length);
    return {result, std::string(reason, length)};
}

// With a subkey the key goes with everything below it; without one the key is emptied and
// kept.
TEST(RegDeleteTree, DeletesTheKeyOrEmptiesIt) {
    ScopedConfigHome home;
    WriteFile(home.HivePath(), kHive);
    HKEY key = Open("Software\\Velmora");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegDeleteTreeA(key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(Info(key).subkeys, 0u);
    EXPECT_EQ(Info(key).values, 0u);
    RegCloseKey(key);

    // A handle that may only read changes nothing.
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(readOnly, "Velmora"), ERROR_ACCESS_DENIED);
    RegCloseKey(readOnly);
    EXPECT_TRUE(Exists("Software\\Velmora"));

    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "software\\VELMORA"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists("Software\\Velmora"));
    EXPECT_TRUE(Exists("Software"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmora"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\\\Velmora"), ERROR_BAD_PATHNAME);
}

TEST(RegQueryHive, GivesThePathAndWhyAHiveCannotBeRead) {
    ScopedConfigHome home;
    HiveState state = QueryHive();
    EXPECT_EQ(state.result, ERROR_SUCCESS);
    EXPECT_EQ(state.path, home.HivePath());
    EXPECT_EQ(state.reason, "");

    WriteFile(home.HivePath(), "not a hive\n");
    state = QueryHive();
    EXPECT_EQ(state.result, ERROR_BADDB);
    EXPECT_EQ(state.reason, home.HivePath() + ": line 1: expected the header REGEDIT4: not a hive");

    // Too small a buffer: the size needed, and nothing else.
    char path[4096];
    char reason[8];
    DWORD pathLength = sizeof path;
    DWORD reasonLength = sizeof reason;
    EXPECT_EQ(RegQueryHiveA(path, &pathLength, reason, &reasonLength), ERROR_MORE_DATA);
    EXPECT_EQ(reasonLength, state.reason.size() + 1);
}

TEST(RegExportKey, WritesTheKeyAsTheHiveSpellsIt) {
    ScopedConfigHome home;
    WriteFile(home.HivePath(), kHive);
    const std::string file = home.path() + "/export.reg";
    WriteFile(file, "old and longer text that the export replaces\n");
    HKEY key = Open("SOFTWARE\\velmora\\LUMBROOK");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegExportKeyA(key, file.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(file),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n"
              "\"Filter\"=\"100,15,3,0\"\n");
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmora"), ERROR_SUCCESS);
    EXPECT_EQ(RegExportKeyA(key, file.c_str()), ERROR_KEY_DELETED);
    RegCloseKey(key);
}

TEST(RegImportFile, MergesAWholeFileOrNothing) {
    ScopedConfigHome home;
    WriteFile(home.HivePath(), kHive);
    const std::string good = home.path() + "/good.reg";
    WriteFile(good,
              "REGEDIT4\n[HKCU\\Software\\Velmora]\n\"Top\"=\"2\"\n"
              "[HKCU\\Software\\Velmora\\New]\n@=\"default\"\n");
    EXPECT_EQ(Import(good), Outcome(ERROR_SUCCESS, ""));
    EXPECT_EQ(ReadFile(home.HivePath()),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora]\n\"Top\"=\"2\"\n\n"
              "[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n"
              "\"Filter\"=\"100,15,3,0\"\n\n"
              "[HKEY_CURRENT_USER\\Software\\Velmora\\New]\n@=\"default\"\n");

    // A file that does not parse imports nothing and says why: settings.reg_command. Here, a
    // reason too long for the buffer: its size.
    const std::string bad = home.path() + "/bad.reg";
    WriteFile(bad, "REGEDIT4\n[HKCU\\Software\\Other]\n\"x\"=oops\n");
    const auto [result, reason] = Import(bad);
    EXPECT_EQ(result, ERROR_BAD_FORMAT);
    char reasonBuffer[4];
    DWORD length = sizeof reasonBuffer;
    EXPECT_EQ(RegImportFileA(bad.c_str(), reasonBuffer, &length), ERROR_MORE_DATA);
    EXPECT_EQ(length, reason.size() + 1);
}

// Which bytes fold, whatever the locale, is the name comparison's business (base_test); here,
// the answer's sign and a null string.
TEST(Lstrcmpi, ComparesWithoutRegardToCase) {
    EXPECT_EQ(lstrcmpiA("Software\\VELMORA", "software\\velmora"), 0);
    EXPECT_LT(lstrcmpiA("a", "B"), 0);
    EXPECT_GT(lstrcmpiA("b", "A"), 0);
    EXPECT_LT(lstrcmpiA("ab", "ABC"), 0);
    EXPECT_EQ(lstrcmpiA(nullptr, ""), 0);
}

TEST(Registry, VersionRecord) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    version.dwOSVersionInfoSize = 100;
    version.dwPlatformId = 77;
    EXPECT_FALSE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, 77u);
}

}  // namespace
