#include "automation/registration.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "automation/type_library.h"
#include "lumbrook/lumbrook.h"
#include "lumbrook/registry.h"
#include "platform/app/app.h"
#include "platform/com/error_info.h"
#include "platform/com/guid.h"

namespace lumbrook::automation {
namespace {

// The per-user class registration lives here; CoCreateInstance reads it from the same place.
constexpr const char* kClasses = "Software\\Classes";
constexpr const char* kProgId = "LumbrookDLL.Lumbrook";
constexpr const char* kClassName = "Lumbrook";
constexpr const char* kThreadingModel = "Apartment";

// The keys and the version text the registration writes, below HKEY_CURRENT_USER.
std::string ClsidKey() {
    return std::string(kClasses) + "\\CLSID\\" + platform::GuidToString(CLSID_Lumbrook);
}

std::string ProgIdKey() {
    return std::string(kClasses) + "\\" + kProgId;
}

std::string TypeLibKey() {
    return std::string(kClasses) + "\\TypeLib\\" + platform::GuidToString(*TypeLibrary().libid);
}

std::string TypeLibVersion() {
    return std::to_string(TypeLibrary().versionMajor) + "." +
           std::to_string(TypeLibrary().versionMinor);
}

// Creates the key below HKEY_CURRENT_USER and sets one REG_SZ value in it ("" is the
// default value).
LONG SetText(const std::string& key, const char* name, const std::string& text) {
    HKEY handle = nullptr;
    LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
    return result;
}

// Deletes a key and everything below it; a key that is not there is no error.
LONG DeleteTree(const std::string& key) {
    HKEY handle = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle);
    if (result == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS)
        return result;
    std::vector<std::string> children;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        result = RegEnumKeyExA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    RegCloseKey(handle);
    if (result != ERROR_NO_MORE_ITEMS)
        return result;
    for (const std::string& child : children) {
        result = DeleteTree(key + "\\" + child);
        if (result != ERROR_SUCCESS)
            return result;
    }
    result = RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// Deletes a shared container key (Software\Classes\CLSID, ...) once nothing is left in it,
// so that unregistering leaves nothing behind that registering made.
void DeleteIfEmpty(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1;
    DWORD values = 1;
    const LONG result = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    // A key that is not empty, or that vanished meanwhile, is simply left alone.
    if (result == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// Raises SELFREG_E_CLASS with what failed and the registry's code, and returns it.
HRESULT RegistryError(const char* what, LONG code) {
    return platform::RaiseError(
        SELFREG_E_CLASS, kClassName,
        std::string(what) + " (registry error " + std::to_string(code) + ")");
}

// The name the registration gives the library at `file` in `folder`: its SONAME link when
// that link leads to this very file, else the file itself. An upgrade replaces the file behind
// the link (liblumbrook.so.1.0.0 by liblumbrook.so.1.1.0) and keeps the link, so a
// registration that names the link keeps working across it.
std::string RegisteredName(const std::string& file, const std::string& folder) {
    const std::string link = folder + "/" LUMBROOK_SERVER_SONAME;
    struct stat ofLink {};
    struct stat ofFile {};
    if (::stat(link.c_str(), &ofLink) == 0 && ::stat(file.c_str(), &ofFile) == 0 &&
        ofLink.st_dev == ofFile.st_dev && ofLink.st_ino == ofFile.st_ino)
        return link;
    return file;
}

}  // namespace

HRESULT RegisterServer() {
    // The library that holds this code, as an absolute path.
    const std::string file = platform::ModulePath(reinterpret_cast<const void*>(&RegisterServer));
    if (file.empty())
        return platform::RaiseError(SELFREG_E_CLASS, kClassName,
                                    "Cannot tell the path of the server library");
    const std::string folder =
        platform::ModuleFolder(reinterpret_cast<const void*>(&RegisterServer));
    const std::string library = RegisteredName(file, folder);
    const std::string clsid = platform::GuidToString(CLSID_Lumbrook);
    const std::string libid = platform::GuidToString(*TypeLibrary().libid);
    const std::string version = TypeLibVersion();
    struct Entry {
        std::string key;
        const char* name;
        std::string text;
    };
    const Entry entries[] = {
        {ProgIdKey(), "", kClassName},
        {ProgIdKey() + "\\CLSID", "", clsid},
        {ClsidKey(), "", kClassName},
        {ClsidKey() + "\\ProgID", "", kProgId},
        {ClsidKey() + "\\InprocServer32", "", library},
        {ClsidKey() + "\\InprocServer32", "ThreadingModel", kThreadingModel},
        {ClsidKey() + "\\TypeLib", "", libid},
        {ClsidKey() + "\\VERSION", "", version},
        {TypeLibKey() + "\\" + version, "", TypeLibrary().help},
        {TypeLibKey() + "\\" + version + "\\0\\win64", "", library},
        {TypeLibKey() + "\\" + version + "\\FLAGS", "", "0"},
        {TypeLibKey() + "\\" + version + "\\HELPDIR", "", folder},
    };
    for (const Entry& entry : entries) {
        const LONG result = SetText(entry.key, entry.name, entry.text);
        if (result != ERROR_SUCCESS)
            return RegistryError(("Cannot write HKEY_CURRENT_USER\\" + entry.key).c_str(), result);
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    for (const std::string& key : {ProgIdKey(), ClsidKey(), TypeLibKey()}) {
        const LONG result = DeleteTree(key);
        if (result != ERROR_SUCCESS)
            return RegistryError(("Cannot delete HKEY_CURRENT_USER\\" + key).c_str(), result);
    }
    DeleteIfEmpty(std::string(kClasses) + "\\CLSID");
    DeleteIfEmpty(std::string(kClasses) + "\\TypeLib");
    DeleteIfEmpty(kClasses);
    return S_OK;
}

}  // namespace lumbrook::automation
