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

TEST(TypeLibrary, MembersStandInTheirSlotsWithTheirTypes) {
    const struct {
        const char* name;
        MemberKind kind;
        VARTYPE type;
    } expected[27] = {
        {"Connect", MemberKind::Method, VT_BOOL},
        {"DoExport", MemberKind::Method, VT_BOOL},
        {"Cancel", MemberKind::Method, VT_EMPTY},
        {"DllVersion", MemberKind::PropertyGet, VT_BSTR},
        {"ODBCString", MemberKind::PropertyGet, VT_BSTR},
        {"ODBCString", MemberKind::PropertyPut, VT_BSTR},
        {"minMass", MemberKind::PropertyGet, VT_R8},
        {"minMass", MemberKind::PropertyPut, VT_R8},
        {"maxMass", MemberKind::PropertyGet, VT_R8},
        {"maxMass", MemberKind::PropertyPut, VT_R8},
        {"S2N", MemberKind::PropertyGet, VT_R8},
        {"S2N", MemberKind::PropertyPut, VT_R8},
        {"Monoisotopic", MemberKind::PropertyGet, VT_I2},
        {"Monoisotopic", MemberKind::PropertyPut, VT_I2},
        {"ShowDataBrowser", MemberKind::Method, VT_BOOL},
        {"Descriptor", MemberKind::PropertyGet, VT_BSTR},
        {"Descriptor", MemberKind::PropertyPut, VT_BSTR},
        {"MSType", MemberKind::PropertyGet, VT_BSTR},
        {"MSType", MemberKind::PropertyPut, VT_BSTR},
        {"JobRunID", MemberKind::PropertyGet, VT_I4},
        {"JobRunID", MemberKind::PropertyPut, VT_I4},
        {"JobRunItemID", MemberKind::PropertyGet, VT_I4},
        {"JobRunItemID", MemberKind::PropertyPut, VT_I4},
        {"DescriptorList", MemberKind::PropertyGet, VT_BSTR},
        {"DescriptorList", MemberKind::PropertyPut, VT_BSTR},
        {"AllSpectra", MemberKind::PropertyGet, VT_BOOL},
        {"AllSpectra", MemberKind::PropertyPut, VT_BOOL},
    };
    const auto members = TypeLibrary().members;
    ASSERT_EQ(members.size(), 27u);
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].slot, static_cast<int>(i + 1));
        EXPECT_STREQ(members[i].name, expected[i].name) << "slot " << i + 1;
        EXPECT_EQ(members[i].kind, expected[i].kind) << expected[i].name;
        EXPECT_EQ(members[i].type, expected[i].type) << expected[i].name;
        // A property's get and put share one dispatch id, and the table finds both.
        EXPECT_EQ(FindMember(members[i].dispid, members[i].kind), &members[i]);
        EXPECT_EQ(FindDispId(members[i].name), members[i].dispid);
    }
    ASSERT_NE(members[1].param, nullptr);
    EXPECT_STREQ(members[1].param->name, "OutFile");
    EXPECT_TRUE(members[1].param->byRef);
}

TEST(TypeLibrary, LibraryAttributes) {
    const TypeLibraryInfo& lib = TypeLibrary();
    EXPECT_STREQ(lib.name, "LumbrookDLL");
    EXPECT_STREQ(lib.help, "Create QPK files from an ABI 4000 series (TSquared) database");
    EXPECT_STREQ(lib.interfaceFlags, "hidden, dual, nonextensible, oleautomation");
    EXPECT_STREQ(lib.classFlags, "appobject");
    EXPECT_TRUE(*lib.clsid == CLSID_Lumbrook);
    EXPECT_TRUE(*lib.iid == IID__Lumbrook);
    // Every identifier is distinct.
    const GUID* ids[] = {&LIBID_LumbrookDLL, &CLSID_Lumbrook, &IID__Lumbrook, &DIID___Lumbrook,
                         &IID_ILumbrookHostSupport};
    for (const GUID* a : ids)
        for (const GUID* b : ids)
            EXPECT_EQ(a == b, *a == *b) << platform::GuidToString(*a);
}

}  // namespace
}  // namespace lumbrook::automation
