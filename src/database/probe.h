// ProbeDatabase: whether a connection string reaches a usable 4000 Series database, and
// which views the export is to read.
#pragma once

#include <string>

namespace lumbrook::database {

// The folder table must be readable through a trial connection of its own; that decides
// the result. Then, on success only, `useBaseViews` becomes whether BASE_PEAK_VIEW (with
// its APEX column) and BASE_JOB_RUN_ITEM_VIEW can be read. A failed probe leaves
// `useBaseViews` as it was. No error leaves the function; when `errorText` is given it
// receives the database's text of the failure that made the result false ("" on success).
bool ProbeDatabase(const std::string& connectionString, bool& useBaseViews,
                   std::string* errorText = nullptr);

// The probes' command texts, in the Oracle form the program writes.
inline constexpr const char* kFolderProbe = "SELECT * FROM FOLDER_OBJECT WHERE ROWNUM <= 1";
inline constexpr const char* kBaseViewProbe =
    "SELECT APEX FROM BASE_PEAK_VIEW, BASE_JOB_RUN_ITEM_VIEW WHERE ROWNUM <= 1";

}  // namespace lumbrook::database
