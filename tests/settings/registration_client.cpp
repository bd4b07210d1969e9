// A host of its own for the registration test: it knows only the public headers and the
// platform library, and finds the server through the per-user registration. Exits 0 when the
// ProgID names CLSID_Lumbrook and CoCreateInstance gives a working object.
#include <iostream>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/lumbrook.h"
#include "platform/com/guid.h"

namespace {

int Fail(const std::string& what, long code) {
    std::cerr << "registration_client: " << what << " (0x" << std::hex << code << ")\n";
    return 1;
}

}  // namespace

int main() {
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
