// lumbrook props: every property of a new object as the host sees it, one "Name=value" a
// line.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "command.h"
#include "connect_options.h"
#include "number_options.h"
#include "server.h"

namespace lumbrook::host {
namespace {

int RunProps(bool showSecrets) {
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    _Lumbrook& o = *object.get();
    std::string text;
    double number = 0;
    SHORT shortValue = 0;
    LONG longValue = 0;
    VARIANT_BOOL flag = VARIANT_FALSE;
    HRESULT hr = S_OK;

#define LUMBROOK_PRINT_TEXT(Name)                                \
    if (FAILED(hr = GetText(o, &_Lumbrook::get_##Name, text))) { \
        return ReportObjectError("reading " #Name, hr);          \
    }                                                            \
    std::cout << #Name "=" << text << "\n";
#define LUMBROOK_PRINT(Name, variable, format)          \
    if (FAILED(hr = o.get_##Name(&variable))) {         \
        return ReportObjectError("reading " #Name, hr); \
    }                                                   \
    std::cout << #Name "=" << format(variable) << "\n";

    auto asIs = [](auto v) { return v; };
    auto asBool = [](VARIANT_BOOL v) { return v != VARIANT_FALSE ? "True" : "False"; };
    LUMBROOK_PRINT_TEXT(DllVersion)
    if (FAILED(hr = GetText(o, &_Lumbrook::get_ODBCString, text)))
        return ReportObjectError("reading ODBCString", hr);
    if (!showSecrets) {
        const auto masked = MaskedConnection(o, text);
        if (!masked)
            return kExitObjectError;
        text = *masked;
    }
    std::cout << "ODBCString=" << text << "\n";
    LUMBROOK_PRINT(minMass, number, NumberText)
    LUMBROOK_PRINT(maxMass, number, NumberText)
    LUMBROOK_PRINT(S2N, number, NumberText)
    LUMBROOK_PRINT(Monoisotopic, shortValue, asIs)
    LUMBROOK_PRINT_TEXT(Descriptor)
    LUMBROOK_PRINT_TEXT(MSType)
    LUMBROOK_PRINT(JobRunID, longValue, asIs)
    LUMBROOK_PRINT(JobRunItemID, longValue, asIs)
    LUMBROOK_PRINT_TEXT(DescriptorList)
    LUMBROOK_PRINT(AllSpectra, flag, asBool)
#undef LUMBROOK_PRINT
#undef LUMBROOK_PRINT_TEXT
    return kExitOk;
}

Runner DefineProps(CLI::App& app) {
    auto showSecrets = std::make_shared<bool>(false);
    app.add_flag("--show-secrets", *showSecrets, "show passwords in ODBCString as they are");
    app.footer(
        std::string(
            "Prints every property of a new Lumbrook object, one Name=value a line. The value of\n"
            "a Password or Pwd key of ODBCString is shown as *** unless --show-secrets is given.") +
        "\n\n" +
        ExitStatusHelp({{kExitOk, "printed"}, {kExitFailed, "the library cannot be loaded"}}));
    return [showSecrets] { return RunProps(*showSecrets); };
}

const Registration kProps{{"props", "print the properties of a new Lumbrook object", DefineProps}};

}  // namespace
}  // namespace lumbrook::host
