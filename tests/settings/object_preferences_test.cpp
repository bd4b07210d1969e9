// A new Lumbrook object takes its connection string and filter values from the preferences.
#include <gtest/gtest.h>

#include <string>

#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/object_support.h"
#include "support/test_environment.h"

namespace lumbrook::settings {
namespace {

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
    auto object = automation::testing::NewObject();
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

// How the texts read is the filter reader's business (filter_fields_test); here, that a new
// object takes them, among them the two that once made the creation fail.
TEST(ObjectFromPreferences, StoredFilterTexts) {
    struct Case {
        const char* filter;
        double minMass, maxMass, s2n;
        SHORT monoisotopic;
    };
    const Case cases[] = {
        {"60,20,10", 60, 20, 10, 1},
        {"60,20,10,70000", 60, 20, 10, 1},
    };
    ScopedConfigHome home;
    for (const Case& c : cases) {
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
    // A stored string as it is: host_commands in tests/database, through lumbrook props.
    ScopedConfigHome home;
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

}  // namespace
}  // namespace lumbrook::settings
