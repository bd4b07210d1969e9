// A new Lumbrook object takes its connection string and filter values from the preferences.
#include <gtest/gtest.h>

#include <string>

#include "automation/lumbrook_object.h"
#include "lumbrook/registry.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/test_environment.h"

namespace lumbrook::settings {
namespace {

using lumbrook::testing::ReadFile;
using lumbrook::testing::ScopedConfigHome;
using lumbrook::testing::WriteFile;

struct Start {
    std::string odbcString;
    double minMass = -1;
    double maxMass = -1;
    double s2n = -1;
    SHORT monoisotopic = -1;
};

Start NewObjectStart() {
    auto object = platform::ComPtr<_Lumbrook>::Adopt(
        static_cast<_Lumbrook*>(automation::LumbrookObject::Create()));
    Start start;
    platform::Bstr text;
    EXPECT_EQ(object->get_ODBCString(text.out()), S_OK);
    start.odbcString = text.Utf8();
    EXPECT_EQ(object->get_minMass(&start.minMass), S_OK);
    EXPECT_EQ(object->get_maxMass(&start.maxMass), S_OK);
    EXPECT_EQ(object->get_S2N(&start.s2n), S_OK);
    EXPECT_EQ(object->get_Monoisotopic(&start.monoisotopic), S_OK);
    return start;
}

void ExpectDefaults(const Start& start) {
    EXPECT_EQ(start.odbcString, kDefaultConnectionString);
    EXPECT_EQ(start.minMass, 60);
    EXPECT_EQ(start.maxMass, 20);
    EXPECT_EQ(start.s2n, 10);
    EXPECT_EQ(start.monoisotopic, 1);
}

TEST(ObjectFromPreferences, AFreshAccountGivesTheDefaultsAndAnEmptyKey) {
    ScopedConfigHome home;
    ExpectDefaults(NewObjectStart());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Velmora\\Lumbrook\\Preferences", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD values = 9;
    DWORD subkeys = 9;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(subkeys, 0u);
    RegCloseKey(key);
}

TEST(ObjectFromPreferences, StoredFilterTexts) {
    struct Case {
        const char* filter;
        double minMass, maxMass, s2n;
        SHORT monoisotopic;
    };
    const Case cases[] = {
        {"100.5,15,3,0", 100.5, 15, 3, 0},
        {"60,20,10,1,7", 60, 20, 10, 1},
        {"60,20,10", 60, 20, 10, 1},  // once a failed creation
        {"60,20,10,0.5", 60, 20, 10, 0},
        {"60,20,10,1.5", 60, 20, 10, 2},
        {"60,20,10,2.5", 60, 20, 10, 2},
        {"60,20,10,70000", 60, 20, 10, 1},  // once a failed creation
        {"1 2\t5,1\n0,3,0", 125, 10, 3, 0},
        {"&H10,1e1,12abc,abc", 16, 10, 12, 0},
    };
    for (const Case& c : cases) {
        ScopedConfigHome home;
        WriteSetting(kAppName, kSection, kFilter, c.filter);
        const Start start = NewObjectStart();
        EXPECT_EQ(start.minMass, c.minMass) << c.filter;
        EXPECT_EQ(start.maxMass, c.maxMass) << c.filter;
        EXPECT_EQ(start.s2n, c.s2n) << c.filter;
        EXPECT_EQ(start.monoisotopic, c.monoisotopic) << c.filter;
        EXPECT_EQ(start.odbcString, kDefaultConnectionString);
    }
}

TEST(ObjectFromPreferences, StoredConnectionStrings) {
    ScopedConfigHome home;
    WriteSetting(kAppName, kSection, kODBCConnect, "Provider=SQLite;Data Source=/tmp/x.db");
    EXPECT_EQ(NewObjectStart().odbcString, "Provider=SQLite;Data Source=/tmp/x.db");
    // An empty stored string is used as it is, not replaced by the default.
    WriteSetting(kAppName, kSection, kODBCConnect, "");
    EXPECT_EQ(NewObjectStart().odbcString, "");
    // Values of other types are used as text.
    WriteFile(home.HivePath(),
              "REGEDIT4\n[HKCU\\Software\\Velmora\\Lumbrook\\Preferences]\n"
              "\"odbcconnect\"=hex:01\n\"FILTER\"=dword:00000005\n");
    const Start start = NewObjectStart();
    EXPECT_EQ(start.odbcString, "(unsupported data format)");
    EXPECT_EQ(start.minMass, 5);
    EXPECT_EQ(start.maxMass, 20);
}

TEST(ObjectFromPreferences, ADamagedHiveGivesTheDefaultsAndStaysAsItWas) {
    const std::string complete =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Velmora\\Lumbrook\\Preferences]\n"
        "\"ODBCConnect\"=\"Provider=SQLite;Data Source=/data/demo.db\"\n"
        "\"Filter\"=\"100,15,3,0\"\n";
    const std::string damaged[] = {
        "\x7f"
        "ELF\x02\x01\x01 garbage \xff\xfe",
        complete.substr(0, complete.find("demo.db")),  // cut inside a value
    };
    for (const std::string& text : damaged) {
        ScopedConfigHome home;
        WriteFile(home.HivePath(), text);
        ExpectDefaults(NewObjectStart());
        WriteSetting(kAppName, kSection, kODBCConnect, "Provider=SQLite;Data Source=/other.db");
        EXPECT_EQ(ReadFile(home.HivePath()), text);
    }
}

}  // namespace
}  // namespace lumbrook::settings
