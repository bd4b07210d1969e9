#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumbrook/registry.h"
#include "settings/environment_reference.h"
#include "settings/reg_op.h"
#include "support/test_environment.h"

extern "C" char** environ;

namespace lumbrook::settings {
namespace {

using lumbrook::testing::ReadFile;
using lumbrook::testing::ScopedConfigHome;
using lumbrook::testing::WriteFile;

constexpr const char* kKey = "Software\\Velmora\\Lumbrook\\Preferences";

// A hive whose preferences key holds the given value lines.
void WriteHive(const ScopedConfigHome& home, const std::string& valueLines) {
    WriteFile(
        home.HivePath(),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n" + valueLines);
}

TaggedValue Read(const std::string& name) {
    RegOp reg;
    reg.Key(kKey);
    return reg.Value(name);
}

void Write(const std::string& name, const std::string& text) {
    RegOp reg;
    reg.Key(kKey);
    reg.Value(name, text);
}

// The stored type and bytes of a value, read past RegOp.
struct Stored {
    DWORD type = 0;
    std::string data;
    bool operator==(const Stored&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Stored& stored) {
    return out << "type " << stored.type << " data \"" << stored.data << "\" ("
               << stored.data.size() << " bytes)";
}

Stored StoredValue(const std::string& name) {
    HKEY key = nullptr;
    Stored stored;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    BYTE data[256];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &stored.type, data, &size) == ERROR_SUCCESS)
        stored.data.assign(reinterpret_cast<char*>(data), size);
    RegCloseKey(key);
    return stored;
}

Stored Text(DWORD type, std::string_view text) {
    return Stored{type, std::string(text) + '\0'};
}

Stored Dword(std::uint32_t number) {
    std::string data;
    for (int i = 0; i < 4; ++i)
        data += static_cast<char>(number >> (8 * i));
    return Stored{REG_DWORD, data};
}

// The name of the first environment entry: one that the reference test always examines.
std::string FirstEnvironmentName() {
    const std::string entry = environ[0];
    return entry.substr(0, entry.find('='));
}

TEST(RegOp, ReadsEachTypeAsATaggedValueByItsNameInAnyCase) {
    ScopedConfigHome home;
    WriteHive(home,
              "\"Filter\"=\"100,15,3,0\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Negative\"=dword:ffffffff\n"
              "\"Blob\"=hex:01,02,03\n"
              "\"Parts\"=hex(7):61,00,62,00,00\n"
              "\"Unended\"=hex(7):61,00,62\n"
              "\"Path\"=hex(2):25,54,45,4d,50,25,5c,78,00\n"
              "\"Short\"=hex(4):01,02\n"
              "\"Raw\"=hex(1):61,62\n"
              "@=\"default\"\n");
    const std::pair<const char*, TaggedValue> cases[] = {
        // Names match without regard to case; which bytes fold is base_test's business.
        {"FILTER", std::string("100,15,3,0")},
        {"count", std::int32_t{42}},
        {"Negative", std::int32_t{-1}},
        {"Blob", std::string(kUnsupportedDataFormat)},  // as every type without a reader
        {"Parts", std::string("a\0b", 3)},
        {"Unended", std::string("a\0b", 3)},
        {"Path", std::string("%TEMP%\\x")},  // not expanded
        {"Short", TaggedValue{}},            // a DWORD that cannot be read: no entry
        {"Raw", std::string("ab")},
        {"", std::string("default")},
        {"Missing", TaggedValue{}},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(Read(name), expected) << name;
}

TEST(RegOp, WritingChoosesTextOrExpandableText) {
    ScopedConfigHome home;
    const std::string reference = "%" + FirstEnvironmentName() + "%\\bin";
    const std::pair<std::string, DWORD> cases[] = {
        {reference, REG_EXPAND_SZ},
        {"%no_such_variable_for_this_test%", REG_SZ},
        {"", REG_SZ},  // stored as one NUL byte
    };
    for (const auto& [text, type] : cases) {
        Write("Value", text);
        EXPECT_EQ(StoredValue("Value"), Text(type, text)) << text;
    }
    // An existing REG_EXPAND_SZ or REG_MULTI_SZ takes the type the new text calls for.
    WriteHive(home, "\"Expand\"=hex(2):25,41,25,00\n\"Multi\"=hex(7):61,00,62,00,00\n");
    Write("Expand", "plain");
    Write("Multi", reference);
    EXPECT_EQ(StoredValue("expand"), Text(REG_SZ, "plain"));
    EXPECT_EQ(StoredValue("multi"), Text(REG_EXPAND_SZ, reference));
}

// How texts read as numbers and round is text_to_number's business (filter_fields_test); here,
// that a number is stored as a DWORD, negative ones in two's complement, and anything else as
// text.
TEST(RegOp, WritingOverADwordKeepsItANumber) {
    ScopedConfigHome home;
    const std::pair<const char*, Stored> cases[] = {
        {"7", Dword(7)},
        {"2.5", Dword(2)},  // halves go to the even neighbour
        {"-2147483648", Dword(0x80000000u)},
        // What is not a 32-bit number is stored as text instead of failing.
        {"12abc", Text(REG_SZ, "12abc")},
        {"2147483648", Text(REG_SZ, "2147483648")},
    };
    for (const auto& [text, expected] : cases) {
        WriteHive(home, "\"Count\"=dword:00000001\n");
        Write("count", text);
        EXPECT_EQ(StoredValue("Count"), expected) << text;
    }
}

TEST(RegOp, NeverOverwritesAValueOfAnotherType) {
    ScopedConfigHome home;
    WriteHive(home, "\"Blob\"=hex:01,02,03\n\"Link\"=hex(6):41,00\n");
    const std::string before = ReadFile(home.HivePath());
    Write("Blob", "text");
    Write("LINK", "text");
    EXPECT_EQ(ReadFile(home.HivePath()), before);
}

TEST(RegOp, OneObjectCanReadAndThenWrite) {
    ScopedConfigHome home;
    RegOp reg;
    reg.Key(kKey);
    EXPECT_TRUE(IsEmpty(reg.Value("Later")));
    // The key is open for reading only; the write must not be lost on that.
    reg.Value("Later", "written");
    EXPECT_EQ(Read("later"), TaggedValue(std::string("written")));
}

TEST(EnvironmentReference, ExaminesTheFirstHundredEntries) {
    std::vector<std::string> entries;
    for (int i = 1; i <= 101; ++i)
        entries.push_back("VAR" + std::to_string(i) + "=value");
    std::vector<const char*> environment;
    for (const std::string& entry : entries)
        environment.push_back(entry.c_str());
    environment.push_back(nullptr);
    EXPECT_TRUE(ReferencesEnvironment("a %VAR1% b", environment.data()));
    EXPECT_TRUE(ReferencesEnvironment("%var100%", environment.data()));  // any case
    EXPECT_FALSE(ReferencesEnvironment("%VAR101%", environment.data()));
    EXPECT_FALSE(ReferencesEnvironment("%VAR1", environment.data()));
    EXPECT_FALSE(ReferencesEnvironment("%VAR1 %", environment.data()));

    // An empty entry ends the environment; an entry without a name matches nothing.
    const char* const stopped[] = {"A=1", "", "B=2", nullptr};
    EXPECT_FALSE(ReferencesEnvironment("%B%", stopped));
    const char* const nameless[] = {"=C:=C:\\", nullptr};
    EXPECT_FALSE(ReferencesEnvironment("100%% sure", nameless));
}

}  // namespace
}  // namespace lumbrook::settings
