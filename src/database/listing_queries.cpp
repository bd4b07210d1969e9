#include "database/listing_queries.h"

namespace lumbrook::database {

std::string FolderChildrenQuery(const std::string& folderId) {
    return "SELECT FOLDER_OBJECT_ID, NAME, OBJECT_TYPE, PARENT_FOLDER_ID, IS_UPDATEABLE "
           "FROM FOLDER_OBJECT WHERE (OBJECT_TYPE = 2 OR OBJECT_TYPE = 6) "
           "AND PARENT_FOLDER_ID = " +
           folderId + " ORDER BY NAME";
}

std::string JobRunsQuery(const std::string& spotSetId) {
    return "SELECT DISTINCT SPOT_SET_ID, OPMODE_NAME, JOB_RUN_ID, JOB_FINISH_TIME "
           "FROM JOB_RUN_ITEM_VIEW WHERE SPOT_SET_ID = " +
           spotSetId + " ORDER BY JOB_RUN_ID";
}

std::string CompletedItemsQuery(std::int64_t jobRunId) {
    return "SELECT DISTINCT SPOT_LABEL, SPOT_NAME, SPOT_TYPE, "
           "ROUND(PRECURSOR_MASS,3) AS PRECURSOR_MASS, OPMODE_NAME, ACQ_STATUS, PROC_STATUS, "
           "INTERP_STATUS, JOB_SUBMIT_TIME, JOB_START_TIME, JOB_FINISH_TIME, SPOT_SET_ID, "
           "SPOT_ID, JOB_RUN_ID, JOB_RUN_ITEM_ID FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = " +
           std::to_string(jobRunId) + " AND JOB_RUN_NUMERIC_STATUS = 9 ORDER BY JOB_RUN_ITEM_ID";
}

}  // namespace lumbrook::database
