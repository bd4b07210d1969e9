// lumbrook register and lumbrook unregister: the per-user registration of the server library
// the program finds (installed, or beside it), through its own DllRegisterServer and
// DllUnregisterServer.
#include <dlfcn.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "command.h"
#include "server.h"

namespace lumbrook::host {
namespace {

using ExportFunction = HRESULT (*)();

int CallExport(const char* exportName, const char* done) {
    std::string notFound;
    const std::string path = FindServer(notFound);
    if (path.empty()) {
        std::cerr << "lumbrook: " << notFound << "\n";
        return kExitFailed;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        std::cerr << "lumbrook: cannot load " << path << ": "
                  << (why != nullptr ? why : "unknown error") << "\n";
        return kExitFailed;
    }
    const auto function = reinterpret_cast<ExportFunction>(dlsym(library, exportName));
    if (function == nullptr) {
        std::cerr << "lumbrook: " << path << " has no " << exportName << "\n";
        return kExitFailed;
    }
    const HRESULT hr = function();
    if (FAILED(hr))
        return ReportObjectError(std::string(exportName) + " of " + path, hr);
    std::cout << done << " " << path << "\n";
    return kExitOk;
}

// Declares a subcommand that calls one export of the library.
Runner DefineCall(CLI::App& app, const char* exportName, const char* done) {
    app.footer(
        std::string(
            std::string("Calls ") + exportName +
            " of the server library this program finds: the installed one, or the one beside "
            "this program.") +
        "\n\n" +
        ExitStatusHelp({{kExitOk, "done"}, {kExitFailed, "the library cannot be loaded"}}));
    return [exportName, done] { return CallExport(exportName, done); };
}

const Registration kRegister{
    {"register", "register the server library for this user",
     [](CLI::App& app) { return DefineCall(app, "DllRegisterServer", "Registered"); }}};
const Registration kUnregister{
    {"unregister", "remove this user's registration of the library",
     [](CLI::App& app) { return DefineCall(app, "DllUnregisterServer", "Unregistered"); }}};

}  // namespace
}  // namespace lumbrook::host
