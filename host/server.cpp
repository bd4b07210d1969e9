#include "server.h"

#include <dlfcn.h>
#include <limits.h>  // PATH_MAX
#include <unistd.h>  // access, readlink

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <optional>

#include "command.h"
#include "lumbrook/bstr.h"
#include "lumbrook/registry.h"

namespace lumbrook::host {

namespace {

// The ProgID under which `lumbrook register` records the class.
constexpr char16_t kProgId[] = u"LumbrookDLL.Lumbrook";

// Loads the server library at `path` and asks its class factory for a Lumbrook object. The
// handle is kept for the life of the process.
LumbrookPtr CreateFromLibrary(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        error = "cannot load " + path + ": " + (why != nullptr ? why : "unknown error");
        return {};
    }
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(library, "DllGetClassObject"));
    if (getClassObject == nullptr) {
        error = path + " has no DllGetClassObject";
        return {};
    }
    platform::ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(CLSID_Lumbrook, IID_IClassFactory, factory.out_void());
    if (FAILED(hr)) {
        error = "the server has no class factory for Lumbrook: " + DescribeError(hr);
        return {};
    }
    LumbrookPtr object;
    hr = factory->CreateInstance(nullptr, IID__Lumbrook, object.out_void());
    if (FAILED(hr)) {
        error = "cannot create the Lumbrook object: " + DescribeError(hr);
        return {};
    }
    return object;
}

// The folder of this program, links resolved; "." when it cannot be told.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return ".";
    const std::string program(path, static_cast<std::size_t>(length));
    const std::size_t slash = program.rfind('/');
    return slash == 0 ? "/" : program.substr(0, slash);
}

// The library file this user's registration names for the class `g`; nothing when the
// registration holds no such value.
std::optional<std::string> RegisteredServer(const CLSID& g) {
    char key[96];
    std::snprintf(key, sizeof key,
                  "Software\\Classes\\CLSID\\{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}"
                  "\\InprocServer32",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    char path[PATH_MAX];
    DWORD size = sizeof path;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(handle, "", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || type != REG_SZ || size == 0)
        return std::nullopt;
    return std::string(path, size - 1);
}

}  // namespace

std::vector<std::string> ServerCandidates() {
    const std::string programFolder = ProgramFolder();
    // The installed library folder, relative to an installed program's bin folder; then the
    // program's own folder, where a build tree keeps both.
    return {programFolder + "/" LUMBROOK_BIN_TO_LIB "/" LUMBROOK_SERVER_FILE,
            programFolder + "/" LUMBROOK_SERVER_FILE};
}

std::string FindServer(std::string& error) {
    std::string tried;
    for (const std::string& path : ServerCandidates()) {
        if (::access(path.c_str(), F_OK) == 0)
            return path;
        tried += (tried.empty() ? "" : ", ") + path;
    }
    error = "cannot find the Lumbrook server: looked in " + tried;
    return {};
}

LumbrookPtr CreateLumbrook(std::string& error) {
    // A registered class is created the way every host creates it, through its ProgID;
    // without a registration the installed library serves, or the one beside the program.
    CLSID clsid{};
    if (CLSIDFromProgID(kProgId, &clsid) == S_OK) {
        LumbrookPtr object;
        const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Lumbrook,
                                            object.out_void());
        if (SUCCEEDED(hr))
            return object;
        const auto registered = RegisteredServer(clsid);
        const bool gone = registered && ::access(registered->c_str(), F_OK) != 0 && errno == ENOENT;
        if (gone) {
            // A version upgrade removes the file an older registration named: the library
            // this program finds without a registration serves instead, and the user is told
            // once how to renew the registration.
            std::cerr << "lumbrook: the registered server library " << *registered
                      << " is gone; using the one found without a registration ('lumbrook "
                         "register' renews it)\n";
        } else if (hr != REGDB_E_CLASSNOTREG) {
            // A registration that points at a library that no longer loads is reported
            // rather than bypassed: the user registered that library on purpose.
            error = "cannot create the registered LumbrookDLL.Lumbrook: " + DescribeError(hr) +
                    "; 'lumbrook register' registers the library this program finds";
            return {};
        }
        // A ProgID left without its class: the unregistered search below serves.
    }
    // Without a registration: the installed library folder, then beside the program.
    std::string notFound;
    const std::string path = FindServer(notFound);
    if (path.empty()) {
        error = notFound + " (and LumbrookDLL.Lumbrook is not registered)";
        return {};
    }
    return CreateFromLibrary(path, error);
}

std::string DescribeError(HRESULT hr) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(hr));
    platform::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) == S_OK && info) {
        platform::Bstr description;
        info->GetDescription(description.out());
        const std::string text = description.Utf8();
        if (!text.empty())
            return text + " (" + number + ")";
    }
    return std::string("error ") + number;
}

int ReportObjectError(const std::string& what, HRESULT hr) {
    std::cerr << "lumbrook: " << what << ": " << DescribeError(hr) << "\n";
    return kExitObjectError;
}

HRESULT GetText(_Lumbrook& object, HRESULT (_Lumbrook::*getter)(BSTR*), std::string& out) {
    platform::Bstr value;
    const HRESULT hr = (object.*getter)(value.out());
    if (SUCCEEDED(hr))
        out = value.Utf8();
    return hr;
}

HRESULT PutText(_Lumbrook& object, HRESULT (_Lumbrook::*setter)(BSTR), const std::string& text) {
    platform::Bstr value(text);
    return (object.*setter)(value.get());
}

std::string TakeText(BSTR text) {
    const std::string utf8 = platform::Utf8FromBstr(text);
    SysFreeString(text);
    return utf8;
}

namespace {

// The object's interface `iid`; null, with the error reported, when it has none.
template <typename Interface>
platform::ComPtr<Interface> AskFor(_Lumbrook& object, REFIID iid, const char* name) {
    platform::ComPtr<Interface> found;
    if (const HRESULT hr = object.QueryInterface(iid, found.out_void()); FAILED(hr))
        ReportObjectError(std::string("asking for ") + name, hr);
    return found;
}

}  // namespace

platform::ComPtr<ILumbrookHostSupport> HostSupport(_Lumbrook& object) {
    return AskFor<ILumbrookHostSupport>(object, IID_ILumbrookHostSupport,
                                        "the host support interface");
}

platform::ComPtr<ILumbrookHostSupport2> HostSupport2(_Lumbrook& object) {
    return AskFor<ILumbrookHostSupport2>(object, IID_ILumbrookHostSupport2,
                                         "the second host support interface");
}

platform::ComPtr<ILumbrookHostSupport3> HostSupport3(_Lumbrook& object) {
    return AskFor<ILumbrookHostSupport3>(object, IID_ILumbrookHostSupport3,
                                         "the third host support interface");
}

std::optional<std::string> MaskedConnection(_Lumbrook& object, const std::string& connection) {
    // The library reads the string as its providers do, so what it hides is what they would
    // send as a password.
    const auto support = HostSupport2(object);
    if (!support)
        return std::nullopt;
    platform::Bstr masked;
    if (const HRESULT hr =
            support->MaskConnectionString(platform::Bstr(connection).get(), masked.out());
        FAILED(hr)) {
        ReportObjectError("masking the connection string", hr);
        return std::nullopt;
    }
    return masked.Utf8();
}

}  // namespace lumbrook::host
