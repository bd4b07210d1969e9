// lumbrook probe: tests a connection string the way Connect does and says what it found.
#include <iostream>

#include "command.h"
#include "options.h"
#include "platform/com/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kUsage =
    "Usage: lumbrook probe [--connect STRING]\n"
    "\n"
    "Calls Connect on a new Lumbrook object, with STRING as its ODBCString or, without\n"
    "--connect, the object's own (the stored preference or the default). Prints whether\n"
    "the probe succeeds, which views an export would read, and the database's error text\n"
    "when it fails. Exit status 0 when it succeeds, 1 when it fails.\n";

int RunProbe(const std::vector<std::string>& args) {
    const ParsedOptions options = ParseOptions(args, {{"connect", true}});
    if (options.Has("help")) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (!options.positional.empty())
        throw UsageError("probe takes no arguments");

    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    HRESULT hr = S_OK;
    if (auto text = options.Get("connect")) {
        if (FAILED(hr = PutText(*object.get(), &_Lumbrook::put_ODBCString, *text)))
            return ReportObjectError("setting ODBCString", hr);
    }
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (FAILED(hr = object->Connect(&connected)))
        return ReportObjectError("Connect", hr);

    platform::ComPtr<ILumbrookHostSupport> support;
    if (FAILED(hr = object->QueryInterface(IID_ILumbrookHostSupport, support.out_void())))
        return ReportObjectError("asking for the host support interface", hr);
    VARIANT_BOOL baseViews = VARIANT_FALSE;
    if (FAILED(hr = support->get_UsesBaseViews(&baseViews)))
        return ReportObjectError("reading UsesBaseViews", hr);

    std::cout << "Probe: " << (connected != VARIANT_FALSE ? "succeeded" : "failed") << "\n";
    std::cout << "Views: "
              << (baseViews != VARIANT_FALSE ? "BASE_JOB_RUN_ITEM_VIEW, BASE_PEAK_VIEW"
                                             : "JOB_RUN_ITEM_VIEW, PEAK_VIEW")
              << "\n";
    if (connected != VARIANT_FALSE)
        return kExitOk;
    platform::Bstr text;
    if (FAILED(hr = support->GetLastConnectError(text.out())))
        return ReportObjectError("reading the connect error", hr);
    std::cout << "Error: " << text.Utf8() << "\n";
    return kExitFailed;
}

const Registration kProbe{{"probe", "test a connection string as Connect does", kUsage, RunProbe}};

}  // namespace
}  // namespace lumbrook::host
