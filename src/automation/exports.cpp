// The four exports of liblumbrook.so, and nothing else of the library is visible outside it.
#include "automation/class_factory.h"
#include "automation/registration.h"
#include "automation/server_module.h"
#include "lumbrook/lumbrook.h"
#include "platform/app/app.h"
#include "platform/com/guid.h"

#define LUMBROOK_EXPORT __attribute__((visibility("default")))

namespace {

// The application title starts as the library's name, for message boxes shown before
// anything changes it.
struct TitleAtLoad {
    TitleAtLoad() { lumbrook::platform::SetDefaultAppTitle("Lumbrook"); }
} titleAtLoad;

}  // namespace

extern "C" {

LUMBROOK_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (lumbrook::platform::IsNullGuid(&rclsid) || lumbrook::platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    if (rclsid != CLSID_Lumbrook)
        return CLASS_E_CLASSNOTAVAILABLE;
    return lumbrook::automation::LumbrookClassFactory()->QueryInterface(riid, ppv);
}

LUMBROOK_EXPORT HRESULT DllCanUnloadNow(void) {
    return lumbrook::automation::CanUnload() ? S_OK : S_FALSE;
}

LUMBROOK_EXPORT HRESULT DllRegisterServer(void) {
    return lumbrook::automation::RegisterServer();
}

LUMBROOK_EXPORT HRESULT DllUnregisterServer(void) {
    return lumbrook::automation::UnregisterServer();
}

}  // extern "C"
