// The SQL the export and the browser send, run against a database that holds the sample
// rows (SampleRows), so that both schemas are shown to offer what those queries read.
#pragma once

#include "database/connection.h"

namespace lumbrook::database::testing {

// Runs every query with the program's exact text and checks its rows; EXPECT failures name
// the query.
void ExpectProgramQueriesRun(Connection& connection);

// Reads the items of job run 12 and job run 13 itself and checks that every provider gives
// their values with the same types, and NULL for each type of column, by names in any case.
void ExpectSampleValues(Connection& connection);

}  // namespace lumbrook::database::testing
