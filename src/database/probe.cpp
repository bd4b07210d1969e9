#include "database/probe.h"

#include <exception>

#include "database/connection.h"
#include "database/database_error.h"

namespace lumbrook::database {

bool ProbeDatabase(const std::string& connectionString, bool& useBaseViews,
                   std::string* errorText) {
    if (errorText != nullptr)
        errorText->clear();
    // The trial connection closes when this function returns, on every path.
    Connection trial;
    try {
        trial.Open(connectionString, {}, {});
        trial.Execute(kFolderProbe, kCommandTimeoutSeconds);
    } catch (const std::exception& e) {
        // Any failure to open or to read the folder table is the answer "no".
        if (errorText != nullptr)
            *errorText = e.what();
        return false;
    }
    try {
        trial.Execute(kBaseViewProbe, kCommandTimeoutSeconds);
        useBaseViews = true;
    } catch (const std::exception&) {
        // Missing or unreadable BASE_ views are no error: the export reads the others.
        useBaseViews = false;
    }
    try {
        trial.Close();
    } catch (const std::exception&) {
        // The probe has its answer; a session that fails to end cleanly changes nothing.
    }
    return true;
}

}  // namespace lumbrook::database
