// lumbrook config: the two preferences a new object reads, by the names a user knows them by:
// `connection` (the connection string) and `filter` (minMass,maxMass,S2N,Monoisotopic). They
// are read and stored by the library, by the rules of the connection dialog's Save; `reg`
// stays for the registry's own syntax.
#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>

#include "command.h"
#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "number_options.h"
#include "server.h"

namespace lumbrook::host {
namespace {

// The names `config` takes, and the library's names of the same preferences.
struct Preference {
    const char* name;
    const char* stored;
};
constexpr Preference kPreferences[] = {{"connection", "ODBCConnect"}, {"filter", "Filter"}};

const char* StoredName(const std::string& name) {
    for (const Preference& preference : kPreferences) {
        if (name == preference.name)
            return preference.stored;
    }
    return nullptr;  // CLI11 has let only the names above through
}

struct ConfigOptions {
    std::string name;
    std::string value;
};

// What a new object takes when nothing is stored: its own values, which are the defaults.
std::optional<std::string> ValueInUse(_Lumbrook& o, const std::string& name) {
    HRESULT hr = S_OK;
    if (name == "connection") {
        std::string text;
        if (FAILED(hr = GetText(o, &_Lumbrook::get_ODBCString, text))) {
            ReportObjectError("reading ODBCString", hr);
            return std::nullopt;
        }
        return text;
    }
    double minMass = 0;
    double maxMass = 0;
    double s2n = 0;
    SHORT monoisotopic = 0;
    if (FAILED(hr = o.get_minMass(&minMass)) || FAILED(hr = o.get_maxMass(&maxMass)) ||
        FAILED(hr = o.get_S2N(&s2n)) || FAILED(hr = o.get_Monoisotopic(&monoisotopic))) {
        ReportObjectError("reading the filter", hr);
        return std::nullopt;
    }
    return NumberText(minMass) + "," + NumberText(maxMass) + "," + NumberText(s2n) + "," +
           std::to_string(monoisotopic);
}

// One line a preference: its name, "stored" or "default", and its value, a connection
// string with its passwords as ***.
int Show(_Lumbrook& o, ILumbrookHostSupport2& support) {
    for (const Preference& preference : kPreferences) {
        platform::Bstr value;
        VARIANT_BOOL stored = VARIANT_FALSE;
        if (const HRESULT hr = support.GetPreference(platform::Bstr(preference.stored).get(),
                                                     value.out(), &stored);
            FAILED(hr))
            return ReportObjectError(std::string("reading ") + preference.stored, hr);
        std::optional<std::string> text =
            stored != VARIANT_FALSE ? value.Utf8() : ValueInUse(o, preference.name);
        if (text && std::string(preference.name) == "connection")
            text = MaskedConnection(o, *text);
        if (!text)
            return kExitObjectError;
        std::cout << std::left << std::setw(12) << preference.name << std::setw(9)
                  << (stored != VARIANT_FALSE ? "stored" : "default") << *text << "\n";
    }
    return kExitOk;
}

int RunConfig(CLI::App& app, const ConfigOptions& options) {
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    const auto support = HostSupport2(*object);
    if (!support)
        return kExitObjectError;
    if (app.got_subcommand("show"))
        return Show(*object, *support);
    const platform::Bstr name(StoredName(options.name));
    const bool set = app.got_subcommand("set");
    const HRESULT hr =
        set ? support->SavePreference(name.get(), platform::Bstr(options.value).get())
            : support->DeletePreference(name.get());
    if (hr == E_INVALIDARG) {
        // The library's reason why the value is none: a usage error of this command.
        platform::ComPtr<IErrorInfo> info;
        platform::Bstr why;
        if (GetErrorInfo(0, info.out()) == S_OK && info)
            info->GetDescription(why.out());
        throw UsageError(options.name + ": " + why.Utf8());
    }
    if (FAILED(hr))
        return ReportObjectError(set ? "storing " + options.name : "removing " + options.name, hr);
    return kExitOk;
}

Runner DefineConfig(CLI::App& app) {
    auto options = std::make_shared<ConfigOptions>();
    app.require_subcommand(1);
    const auto names = CLI::IsMember({"connection", "filter"}).description("");
    app.add_subcommand("show", "the preferences, stored or default; passwords as ***");
    CLI::App* set = app.add_subcommand("set", "store a preference");
    set->add_option("NAME", options->name, "connection or filter")
        ->required()
        ->check(names)
        ->type_name("connection|filter");
    set->add_option("VALUE", options->value,
                    "the connection string; or the filter as MIN,MAX,S2N,MONO, four decimal "
                    "numbers, the last 0 or 1 (for example 60,20,10,1)")
        ->required();
    CLI::App* unset =
        app.add_subcommand("unset", "remove a stored preference; its default applies again");
    unset->add_option("NAME", options->name, "connection or filter")
        ->required()
        ->check(names)
        ->type_name("connection|filter");
    app.footer(
        std::string(
            "The two preferences every new Lumbrook object reads (props shows them in use):\n"
            "connection, the connection string, stored as the connection dialog's Save stores\n"
            "it, without blanks at its ends; filter, the minMass, maxMass, S2N and Monoisotopic\n"
            "values exports use unless options give others. They are kept in this user's\n"
            "registry file (XDG_CONFIG_HOME, else ~/.config, in lumbrook/), which 'lumbrook\n"
            "reg' shows in the registry's own syntax.\n\n"
            "  lumbrook config set connection 'Provider=SQLite;Data Source=/data/lab.sqlite'\n"
            "  lumbrook config set filter 50,20,5,1\n"
            "  lumbrook config unset filter\n\n") +
        ExitStatusHelp({{kExitOk, "done"}, {kExitFailed, "the library cannot be loaded"}}));
    return [&app, options] { return RunConfig(app, *options); };
}

const Registration kConfig{{"config", "show or change the stored preferences", DefineConfig}};

}  // namespace
}  // namespace lumbrook::host
