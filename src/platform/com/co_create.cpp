// Class creation through the per-user registration under
// HKEY_CURRENT_USER\Software\Classes: a ProgID's CLSID subkey names the class, and the
// class's InprocServer32 key holds the path of the library that serves it. The library is
// loaded with dlopen and never unloaded (objects it made may outlive any one call), and its
// DllGetClassObject is asked for the class factory.
#include <dlfcn.h>

#include <optional>
#include <string>
#include <vector>

#include "lumbrook/com.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/registry.h"
#include "lumbrook/utf16.h"
#include "platform/com/error_info.h"
#include "platform/com/guid.h"

namespace {

using lumbrook::platform::ComPtr;

constexpr const char* kClassesKey = "Software\\Classes\\";
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND): the registered library cannot be loaded.
constexpr HRESULT kModuleNotFound = static_cast<HRESULT>(0x8007007EL);
// CO_E_ERRORINDLL: the library has no DllGetClassObject.
constexpr HRESULT kErrorInDll = static_cast<HRESULT>(0x800401F9L);

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

// The default value of HKEY_CURRENT_USER\<path> as text, when it is a REG_SZ.
std::optional<std::string> ReadDefaultText(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> text;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::vector<BYTE> data(size + 1, 0);
        if (RegQueryValueExA(key, nullptr, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
            text = std::string(reinterpret_cast<const char*>(data.data()));
    }
    RegCloseKey(key);
    return text;
}

}  // namespace

extern "C" {

// The class identifier registered for a ProgID: the default value of
// HKCU\Software\Classes\<ProgID>\CLSID.
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid) {
    if (lpszProgID == nullptr || lpclsid == nullptr)
        return E_INVALIDARG;
    const std::string progId = lumbrook::platform::Utf16ToUtf8(std::u16string_view(lpszProgID));
    // A ProgID is one key name; a backslash would reach into another key.
    if (progId.empty() || progId.find('\\') != std::string::npos)
        return CO_E_CLASSSTRING;
    const auto text = ReadDefaultText(kClassesKey + progId + "\\CLSID");
    const auto clsid = text ? lumbrook::platform::GuidFromString(*text) : std::nullopt;
    if (!clsid)
        return CO_E_CLASSSTRING;
    *lpclsid = *clsid;
    return S_OK;
}

// Creates an object of a registered in-process class: loads the library that
// CLSID\{...}\InprocServer32 names and asks its class factory for the interface.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (lumbrook::platform::IsNullGuid(&rclsid) || lumbrook::platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    // Only in-process servers exist here.
    if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    const std::string clsidText = lumbrook::platform::GuidToString(rclsid);
    const auto path =
        ReadDefaultText(kClassesKey + std::string("CLSID\\") + clsidText + "\\InprocServer32");
    if (!path || path->empty())
        return REGDB_E_CLASSNOTREG;
    void* library = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        // The platform leaves no error info here; hosts get dlopen's reason to show instead.
        const char* why = dlerror();
        return lumbrook::platform::RaiseError(
            kModuleNotFound, "CoCreateInstance",
            "cannot load " + *path + ": " + (why != nullptr ? why : "unknown error"));
    }
    const auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(dlsym(library, "DllGetClassObject"));
    if (getClassObject == nullptr)
        return kErrorInDll;
    ComPtr<IClassFactory> factory;
    const HRESULT hr = getClassObject(rclsid, IID_IClassFactory, factory.out_void());
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(pUnkOuter, riid, ppv);
}

}  // extern "C"
