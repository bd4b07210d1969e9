// lumbrook typelib: the server's type library as IDL text.
#include <CLI/CLI.hpp>
#include <iostream>

#include "command.h"
#include "lumbrook/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

int RunTypelib() {
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

Runner DefineTypelib(CLI::App& app) {
    app.footer(
        std::string("Prints the type library of liblumbrook.so as IDL text.") + "\n\n" +
        ExitStatusHelp({{kExitOk, "printed"}, {kExitFailed, "the library cannot be loaded"}}));
    return RunTypelib;
}

const Registration kTypelib{{"typelib", "print the type library as IDL text", DefineTypelib}};

}  // namespace
}  // namespace lumbrook::host
