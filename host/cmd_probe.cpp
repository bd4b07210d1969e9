// lumbrook probe: tests a connection string the way Connect does and says what it found.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "command.h"
#include "connect_options.h"
#include "lumbrook/bstr.h"
#include "server.h"

namespace lumbrook::host {
namespace {

constexpr const char* kDescription =
    "Calls Connect on a new Lumbrook object, with STRING as its ODBCString or, without\n"
    "--connect, the object's own (the stored preference or the default). Prints whether\n"
    "the probe succeeds, which views an export would read, and the database's error text\n"
    "when it fails.";

int RunProbe(const ConnectOptions& options) {
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    HRESULT hr = S_OK;
    if (const int status = options.Apply(*object); status != kExitOk)
        return status;
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

Runner DefineProbe(CLI::App& app) {
    auto options = std::make_shared<ConnectOptions>();
    options->Declare(app);
    app.footer(
        std::string(kDescription) + "\n\n" +
        ExitStatusHelp({{kExitOk, "the probe succeeded"},
                        {kExitFailed, "the probe failed, or --connect-file cannot be used"}}));
    return [options] { return RunProbe(*options); };
}

const Registration kProbe{{"probe", "test a connection string as Connect does", DefineProbe}};

}  // namespace
}  // namespace lumbrook::host
