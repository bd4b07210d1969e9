// The databases the browser tests open, as rows for FixtureDatabase (tests/support).
#pragma once

#include "support/fixture_database.h"

namespace lumbrook::testing {

// A small database for browsing: folders sorted out of insertion order, a spot set "Alpha
// set" with job runs 17 (MS/MS, ten items 101..110 of which all but 105 are complete, each
// with five peaks) and 18 (MS, finish time unknown), a nested spot set with an incomplete job
// run, an empty folder, a spot set without job runs and an object of neither kind.
Rows BrowseRows();

}  // namespace lumbrook::testing
