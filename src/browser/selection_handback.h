// What "Select" hands back: the browser's choice as the hand-over record's fields.
#pragma once

#include <string>
#include <vector>

#include "global/process_state.h"

namespace lumbrook::browser {

// One selected grid row, as the texts of its JOB_RUN_ITEM_ID and OPMODE_NAME columns.
struct SelectedRow {
    std::string jobRunItemId;
    std::string opmodeName;
};

// Fills `record` for the spot set `descriptor` ("folder/spot set") and job run `jobRunId`:
// with `allSpectra`, one entry for the whole job run; otherwise one entry per row in the
// order given, separated by NUL characters. With no row, JobRunItemID and MSType keep what
// `record` holds. Accepted is not touched.
void FillHandover(BrowserHandoverRecord& record, const std::string& descriptor,
                  std::int32_t jobRunId, bool allSpectra, const std::vector<SelectedRow>& rows);

// The platform's conversion of a text to a 32-bit integer for the item id: blanks around
// it ignored, halves rounding to even; 0 when the text is no number in range.
std::int32_t ItemIdFromText(const std::string& text);

}  // namespace lumbrook::browser
