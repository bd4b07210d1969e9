// Connect: probe the connection string, then open the object's own connection with it.
#include <memory>

#include "automation/lumbrook_object.h"
#include "database/connection.h"
#include "database/database_error.h"
#include "database/probe.h"
#include "global/process_state.h"
#include "platform/com/error_info.h"

namespace lumbrook::automation {

HRESULT LumbrookObject::Connect(VARIANT_BOOL* pRetVal) {
    if (pRetVal == nullptr)
        return E_POINTER;

    // A rejected string keeps the own connection as it was; the host learns only "false",
    // and hosts that explain failures read the database's text through GetLastConnectError.
    std::string error;
    if (!database::ProbeDatabase(odbcString_, Global().useBaseViews, &error)) {
        lastConnectError_ = error;
        *pRetVal = VARIANT_FALSE;
        return S_OK;
    }
    lastConnectError_.clear();

    // The previous connection is released, and so closed, before the new one opens. When
    // the open fails, the error reaches the caller and the object keeps the new, unopened
    // connection, on which DoExport's first query then fails.
    ownConnection_ = std::make_unique<database::Connection>();
    try {
        ownConnection_->Open(odbcString_, {}, {});
    } catch (const database::DatabaseError& e) {
        lastConnectError_ = e.what();
        return platform::RaiseError(E_FAIL, kErrorSource, e.what());
    }
    *pRetVal = VARIANT_TRUE;
    return S_OK;
}

}  // namespace lumbrook::automation
