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
};

Start NewObjectStart() {
    auto object = automation::testing::NewObject();
    Start start;
    platform::Bstr text;
    EXPECT_EQ(object->get_ODBCString(text.out()), S_OK);
    start.odbcString = text.Utf8();
    EXPECT_EQ(object->get_minMass(&start.minMass), S_OK);
    EXPECT_EQ(object->get_maxMass(&start.maxMass), S_OK);
    return start;
}

// How filter texts read is the filter reader's business (filter_fields_test), and that a new
// object takes each field is settings.reg_command's (reg add, then props); here, what the
// object does with the stored values themselves.
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
