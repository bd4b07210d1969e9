// The per-user registration of the class under HKEY_CURRENT_USER\Software\Classes.
#pragma once

#include "lumbrook/com.h"

namespace lumbrook::automation {

// Writes the ProgID, CLSID, InprocServer32 and type library keys.
HRESULT RegisterServer();
// Removes every key RegisterServer wrote.
HRESULT UnregisterServer();

}  // namespace lumbrook::automation
