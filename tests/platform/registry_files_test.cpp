// The registry calls that the command-line host reaches the hive through: deleting a tree,
// the hive's state, a key exported to and imported from a REGEDIT4 file, and the comparison
// of names. Through the C interface, over real hive files.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "lumbrook/registry.h"
#include "support/test_environment.h"

namespace {

using lumbrook::testing::ReadFile;
using lumbrook::testing::ScopedConfigHome;
using lumbrook::testing::WriteFile;

constexpr const char* kHive =
    "REGEDIT4\n\n"
    "[HKEY_CURRENT_USER\\Software\\Velmora]\n\"Top\"=\"1\"\n\n"
    "[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n\"Filter\"=\"100,15,3,0\"\n";

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
    DWORD subkeys = 99;
    DWORD values = 99;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 0u);
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

    const std::string before = ReadFile(home.HivePath());
    const std::string bad = home.path() + "/bad.reg";
    WriteFile(bad, "REGEDIT4\n[HKCU\\Software\\Other]\n\"x\"=oops\n");
    const auto [result, reason] = Import(bad);
    EXPECT_EQ(result, ERROR_BAD_FORMAT);
    EXPECT_EQ(reason.rfind(bad + ": line 3: expected \"text\", dword:", 0), 0u) << reason;
    EXPECT_EQ(ReadFile(home.HivePath()), before);

    // A reason too long for the buffer: its size, and the hive untouched.
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

}  // namespace
