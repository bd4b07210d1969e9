// Connect of the automation object: the probe decides, a rejected string keeps the own
// connection, an accepted one replaces it, and releasing the object closes it. The own
// connection is watched from outside, through the file descriptors SQLite holds open.
#include <gtest/gtest.h>

#include <filesystem>

#include "automation/lumbrook_object.h"
#include "global/process_state.h"
#include "lumbrook/bstr.h"
#include "support/fixture_database.h"
#include "support/object_fixture.h"

namespace lumbrook::automation {
namespace {

using lumbrook::testing::FixtureDatabase;

// How many descriptors of this process have `path` open.
int OpenHandles(const std::string& path) {
    int count = 0;
    const auto target = std::filesystem::weakly_canonical(path);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto link = std::filesystem::read_symlink(entry.path(), error);
        if (!error && link == target)
            ++count;
    }
    return count;
}

class ConnectTest : public testing::ObjectTest {
  protected:
    void SetUp() override {
        ObjectTest::SetUp();
        Global().useBaseViews = false;
    }

    // Sets ODBCString and calls Connect; returns Connect's result.
    bool ConnectWith(const std::string& connectionString) {
        platform::Bstr text(connectionString);
        EXPECT_EQ(object_->put_ODBCString(text.get()), S_OK);
        VARIANT_BOOL result = 0x1234;
        EXPECT_EQ(object_->Connect(&result), S_OK);
        EXPECT_TRUE(result == VARIANT_TRUE || result == VARIANT_FALSE) << result;
        return result == VARIANT_TRUE;
    }
    std::string LastError() {
        platform::Bstr text;
        EXPECT_EQ(support_->GetLastConnectError(text.out()), S_OK);
        return text.Utf8();
    }
    bool UsesBaseViews() {
        VARIANT_BOOL flag = 0x1234;
        EXPECT_EQ(support_->get_UsesBaseViews(&flag), S_OK);
        return flag == VARIANT_TRUE;
    }
};

TEST_F(ConnectTest, ARejectedStringKeepsTheOwnConnectionAndAnAcceptedOneReplacesIt) {
    FixtureDatabase first({}, /*baseViews=*/true);
    FixtureDatabase second;

    ASSERT_TRUE(ConnectWith(first.ConnectionString()));
    EXPECT_TRUE(UsesBaseViews());
    EXPECT_EQ(OpenHandles(first.Path()), 1);  // the own connection; the trial one is closed

    // The probe's error text and the file it must not create are the host's to check
    // (database.host_commands).
    EXPECT_FALSE(ConnectWith("Provider=SQLite;Data Source=" + first.File("gone.sqlite")));
    EXPECT_TRUE(UsesBaseViews());             // a failed probe leaves the flag
    EXPECT_EQ(OpenHandles(first.Path()), 1);  // and the own connection

    ASSERT_TRUE(ConnectWith(second.ConnectionString()));
    EXPECT_EQ(LastError(), "");
    EXPECT_FALSE(UsesBaseViews());
    EXPECT_EQ(OpenHandles(first.Path()), 0);  // the previous connection was closed
    EXPECT_EQ(OpenHandles(second.Path()), 1);

    // Connecting again to the same database replaces the connection, it does not add one.
    ASSERT_TRUE(ConnectWith(second.ConnectionString()));
    EXPECT_EQ(OpenHandles(second.Path()), 1);

    support_.reset();
    object_.reset();
    EXPECT_EQ(OpenHandles(second.Path()), 0);  // releasing the object closed it
}

// The database vanishes between the probe and the open: the error reaches the caller, and
// the previous connection is gone already.
TEST_F(ConnectTest, AFailingOpenAfterTheProbeRaisesTheDatabasesError) {
    FixtureDatabase first({}, /*baseViews=*/true);
    FixtureDatabase second({}, /*baseViews=*/true);
    ASSERT_TRUE(ConnectWith(first.ConnectionString()));
    const std::string vanishing = second.Path();
    database::Connection::SetCommandObserver([&](const std::string& text) {
        if (text.find("BASE_PEAK_VIEW") != std::string::npos)
            std::filesystem::remove(vanishing);  // the trial connection keeps its handle
    });
    platform::Bstr text(second.ConnectionString());
    ASSERT_EQ(object_->put_ODBCString(text.get()), S_OK);
    VARIANT_BOOL result = 0x1234;
    EXPECT_EQ(object_->Connect(&result), E_FAIL);
    database::Connection::SetCommandObserver(nullptr);
    EXPECT_EQ(result, 0x1234);
    const std::string expected = "unable to open database file: " + vanishing;
    EXPECT_EQ(LastError(), expected);
    EXPECT_EQ(testing::TakeErrorInfo().description, expected);
    EXPECT_EQ(OpenHandles(first.Path()), 0);
}

}  // namespace
}  // namespace lumbrook::automation
