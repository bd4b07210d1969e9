#include <gtest/gtest.h>

#include "automation/class_factory.h"
#include "automation/server_module.h"
#include "support/object_support.h"

namespace lumbrook::automation {
namespace {

using platform::ComPtr;

// Creating an object through the factory: abi_test_c, as a C host does it.
TEST(ClassFactory, RefusesAggregationAndUnknownInterfaces) {
    IClassFactory* factory = LumbrookClassFactory();
    ComPtr<IUnknown> outer;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.out_void()), S_OK);
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    outer.reset();
    // An interface the object lacks: the new object is destroyed again.
    refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_TRUE(CanUnload());
}

TEST(ClassFactory, LocksKeepTheServerLoaded) {
    IClassFactory* factory = LumbrookClassFactory();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_FALSE(CanUnload());
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_FALSE(CanUnload());
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_TRUE(CanUnload());
    // An unlock without a lock does not drive the count below zero.
    factory->LockServer(FALSE);
    factory->LockServer(TRUE);
    EXPECT_FALSE(CanUnload());
    factory->LockServer(FALSE);
    EXPECT_TRUE(CanUnload());
}

}  // namespace
}  // namespace lumbrook::automation
