// lumbrook typelib: the server's type library as IDL text.
#include <iostream>

#include "command.h"
#include "options.h"
#include "platform/com/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

int RunTypelib(const std::vector<std::string>& args) {
    const ParsedOptions options = ParseOptions(args, {});
    if (options.Has("help")) {
        std::cout << "Usage: lumbrook typelib\n\nPrints the type library of liblumbrook.so as "
                     "IDL text.\n";
        return kExitOk;
    }
    if (!options.positional.empty())
        throw UsageError("typelib takes no arguments");
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    platform::ComPtr<ILumbrookHostSupport> support;
    HRESULT hr = object->QueryInterface(IID_ILumbrookHostSupport, support.out_void());
    if (FAILED(hr))
        return ReportObjectError("asking for the type library", hr);
    platform::Bstr text;
    hr = support->GetTypeLibraryText(text.out());
    if (FAILED(hr))
        return ReportObjectError("reading the type library", hr);
    std::cout << text.Utf8();
    return kExitOk;
}

const Registration kTypelib{
    {"typelib", "print the type library as IDL text", "Usage: lumbrook typelib", RunTypelib}};

}  // namespace
}  // namespace lumbrook::host
