#include "automation/registration.h"

#include "platform/com/error_info.h"

namespace lumbrook::automation {

// Registration needs the registry stand-in; until it is part of the build, both calls say
// so instead of pretending to have registered anything.
HRESULT RegisterServer() {
    return platform::RaiseError(E_NOTIMPL, "Lumbrook",
                                "Registration is not available in this build");
}

HRESULT UnregisterServer() {
    return platform::RaiseError(E_NOTIMPL, "Lumbrook",
                                "Registration is not available in this build");
}

}  // namespace lumbrook::automation
