// A host of its own for the registration test: it knows only the public headers and the
// platform library, and finds the server through the per-user registration.
//   registration_client create  the ProgID names CLSID_Lumbrook and CoCreateInstance gives a
//                               working object
//   registration_client gone    nothing of the registration is left
#include <iostream>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/lumbrook.h"
#include "lumbrook/registry.h"
#include "platform/com/guid.h"

namespace {

int Fail(const std::string& what, long code) {
    std::cerr << "registration_client: " << what << " (0x" << std::hex << code << ")\n";
    return 1;
}

int Create() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(u"LumbrookDLL.Lumbrook", &clsid);
    if (hr != S_OK)
        return Fail("CLSIDFromProgID failed", hr);
    if (!(clsid == CLSID_Lumbrook))
        return Fail("the ProgID names another class", 0);
    lumbrook::platform::ComPtr<_Lumbrook> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Lumbrook, object.out_void());
    if (hr != S_OK || !object)
        return Fail("CoCreateInstance failed", hr);
    lumbrook::platform::Bstr version;
    hr = object->get_DllVersion(version.out());
    if (hr != S_OK || version.Utf8() != "1.0.0")
        return Fail("DllVersion is '" + version.Utf8() + "'", hr);
    std::cout << "created Lumbrook " << version.Utf8() << " by its ProgID\n";
    return 0;
}

int Gone() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(u"LumbrookDLL.Lumbrook", &clsid);
    if (hr != CO_E_CLASSSTRING)
        return Fail("CLSIDFromProgID still finds the ProgID", hr);
    void* object = reinterpret_cast<void*>(1);
    hr = CoCreateInstance(CLSID_Lumbrook, nullptr, CLSCTX_INPROC_SERVER, IID__Lumbrook, &object);
    if (hr != REGDB_E_CLASSNOTREG || object != nullptr)
        return Fail("CoCreateInstance still finds the class", hr);
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, KEY_READ, &key);
    if (result != ERROR_FILE_NOT_FOUND) {
        RegCloseKey(key);
        return Fail("Software\\Classes is still there", result);
    }
    std::cout << "no registration left\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 2 ? argv[1] : "";
    if (mode == "create")
        return Create();
    if (mode == "gone")
        return Gone();
    std::cerr << "usage: registration_client create | gone\n";
    return 2;
}
