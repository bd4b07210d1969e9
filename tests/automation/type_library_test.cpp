#include "automation/type_library.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/com/guid.h"

namespace lumbrook::automation {
namespace {

TEST(TypeLibrary, CommittedIdlIsTheTableItself) {
    std::ifstream file(LUMBROOK_IDL_FILE, std::ios::binary);
    ASSERT_TRUE(file) << LUMBROOK_IDL_FILE;
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), TypeLibraryIdl())
        << "regenerate with: build/bin/lumbrook typelib > include/lumbrook/lumbrook.idl";
}

// The names, kinds, types and order of the members are pinned by the committed IDL above;
// here, that the table numbers its slots in order and that Invoke's look-ups find each row.
TEST(TypeLibrary, LookUpsFindEverySlot) {
    const auto members = TypeLibrary().members;
    ASSERT_EQ(members.size(), 27u);
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].slot, static_cast<int>(i + 1));
        // A property's get and put share one dispatch id, and the table finds both.
        EXPECT_EQ(FindMember(members[i].dispid, members[i].kind), &members[i]);
        EXPECT_EQ(FindDispId(members[i].name), members[i].dispid);
    }
}

TEST(TypeLibrary, EveryIdentifierIsDistinct) {
    const GUID* ids[] = {&LIBID_LumbrookDLL, &CLSID_Lumbrook, &IID__Lumbrook, &DIID___Lumbrook,
                         &IID_ILumbrookHostSupport};
    for (const GUID* a : ids)
        for (const GUID* b : ids)
            EXPECT_EQ(a == b, *a == *b) << platform::GuidToString(*a);
}

}  // namespace
}  // namespace lumbrook::automation
