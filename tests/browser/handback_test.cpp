#include <gtest/gtest.h>

#include "browser/selection_handback.h"

namespace lumbrook::browser {
namespace {

using namespace std::string_literals;

// Browse.SelectWithSelectedSpectraGivesEntriesInSelectionOrder hands back MS/MS rows from the
// window; here each row's MS type, which the browse fixture's rows do not vary, all spectra
// as one MS/MS entry whatever the rows' operating mode, and an empty selection as no entry.
TEST(Handover, EachRowGivesItsOwnMsTypeAndAllSpectraIsOneMsmsEntry) {
    BrowserHandoverRecord record;
    FillHandover(record, "Gels/Plate 1", 12, false,
                 {{"7", "MS-MS 1 kV"}, {"8", "MS reflector"}, {"9", "ms-ms lower case"}});
    EXPECT_EQ(record.DescriptorList,
              "Gels/Plate 1:12:7:False:MS-MS\0"
              "Gels/Plate 1:12:8:False:MS\0"
              "Gels/Plate 1:12:9:False:MS"s);
    EXPECT_EQ(record.MSType, "MS");  // "MS-MS" is looked for with its case

    FillHandover(record, "F/S", 3, true, {{"1", "MS"}});
    EXPECT_EQ(record.DescriptorList, "F/S:3:0:True:MS-MS");
    EXPECT_EQ(record.JobRunItemID, 0);

    FillHandover(record, "F/S", 3, false, {});
    EXPECT_EQ(record.DescriptorList, "");
    EXPECT_FALSE(record.AllSpectra);
}

TEST(Handover, ItemIdTextReadsAsA32BitInteger) {
    EXPECT_EQ(ItemIdFromText("2147483647"), 2147483647);
    EXPECT_EQ(ItemIdFromText(" 42 "), 42);
    EXPECT_EQ(ItemIdFromText("12.5"), 12);  // halves to even
    EXPECT_EQ(ItemIdFromText("13.5"), 14);
    EXPECT_EQ(ItemIdFromText("2147483648"), 0);
    EXPECT_EQ(ItemIdFromText("abc"), 0);
}

}  // namespace
}  // namespace lumbrook::browser
