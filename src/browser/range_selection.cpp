#include "browser/range_selection.h"

namespace lumbrook::browser {

std::vector<long> RangeRows(long current, long anchor, long rowCount) {
    std::vector<long> rows;
    const long n = anchor - current;
    const long step = anchor > current ? 1 : -1;
    for (long i = 0; step > 0 ? i <= n : i >= n; i += step) {
        const long row = current + i;
        if (row >= 1 && row <= rowCount)
            rows.push_back(row);
    }
    return rows;
}

}  // namespace lumbrook::browser
