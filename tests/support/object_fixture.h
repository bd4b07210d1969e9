// A new Lumbrook object, and a fixture database to connect it to, for the tests that connect
// and export through the object. The suite's main gives the whole run a configuration folder of its
// own, so the object starts from the default preferences.
#pragma once

#include <gtest/gtest.h>

#include "support/fixture_database.h"
#include "support/object_support.h"

namespace lumbrook::automation::testing {

class ObjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        object_ = NewObject();
        ASSERT_EQ(object_->QueryInterface(IID_ILumbrookHostSupport, support_.out_void()), S_OK);
    }

    // Points the object at `db` and connects it; the test stops when that fails.
    void Connect(const lumbrook::testing::FixtureDatabase& db) {
        platform::Bstr text(db.ConnectionString());
        ASSERT_EQ(object_->put_ODBCString(text.get()), S_OK);
        VARIANT_BOOL connected = VARIANT_FALSE;
        ASSERT_EQ(object_->Connect(&connected), S_OK);
        ASSERT_EQ(connected, VARIANT_TRUE);
    }

    // Calls DoExport into `path`; the result is preset to 7, neither true nor false, so that
    // the test sees whether the call set it.
    HRESULT Export(const std::string& path, VARIANT_BOOL& result) {
        platform::Bstr file(path);
        BSTR argument = file.get();
        result = 7;
        return object_->DoExport(&argument, &result);
    }

    platform::ComPtr<_Lumbrook> object_;
    platform::ComPtr<ILumbrookHostSupport> support_;  // the same object, as hosts see it
};

}  // namespace lumbrook::automation::testing
