// A small 4000 Series database for browsing: folders sorted out of insertion order, a spot
// set with job runs 17 (MS/MS, ten items of which nine are complete) and 18 (MS, finish time
// unknown), each MS/MS item with five peaks, a nested spot set, an empty folder and a spot set
// without job runs.
#pragma once

#include <string>

namespace lumbrook::testing {

std::string BrowseFixtureSql();

}  // namespace lumbrook::testing
