// The item grid's Shift range: which rows a Shift selection leaves selected, in order.
#pragma once

#include <vector>

namespace lumbrook::browser {

// The bookmarks from `current` to `anchor`, both included, the current row first and the
// anchor row last. Rows beyond 1..rowCount (an anchor left from a longer list) are left
// out, so the range stays within the rows that exist.
std::vector<long> RangeRows(long current, long anchor, long rowCount);

}  // namespace lumbrook::browser
