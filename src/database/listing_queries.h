// The queries of the data browser's folder tree, job-run list and item grid, as text. The
// browser and the command-line listing both run exactly these, so what a lab sees on a
// server without a display is what the window would show.
#pragma once

#include <cstdint>
#include <string>

namespace lumbrook::database {

// The folders (OBJECT_TYPE 2) and spot sets (6) directly inside a folder, by name; the
// tree's root is folder 2. `folderId` is the folder's id as decimal text, exactly as it goes
// into the query.
std::string FolderChildrenQuery(const std::string& folderId);

// The job runs of a spot set: SPOT_SET_ID, OPMODE_NAME, JOB_RUN_ID and JOB_FINISH_TIME, one
// row per job run, by id.
std::string JobRunsQuery(const std::string& spotSetId);

// The completed items (JOB_RUN_NUMERIC_STATUS 9) of a job run with the item grid's columns,
// by item id.
std::string CompletedItemsQuery(std::int64_t jobRunId);

}  // namespace lumbrook::database
