// lumbrook register and lumbrook unregister: the per-user registration of the library beside
// the program, through its own DllRegisterServer and DllUnregisterServer.
#include <dlfcn.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "command.h"
#include "platform/app/app.h"
#include "server.h"

namespace lumbrook::host {
namespace {

using ExportFunction = HRESULT (*)();

int CallExport(const char* exportName, const char* done) {
    const std::string folder = platform::ModuleFolder(reinterpret_cast<const void*>(&CallExport));
    const std::string path = (folder.empty() ? std::string(".") : folder) + "/liblumbrook.so";
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
    app.footer(std::string(std::string("Calls ") + exportName +
                           " of the liblumbrook.so beside this program.") +
               "\n\n" +
               ExitStatusHelp({{kExitOk, "done"}, {kExitFailed, "the library cannot be loaded"}}));
    return [exportName, done] { return CallExport(exportName, done); };
}

const Registration kRegister{
    {"register", "register the library beside this program for this user",
     [](CLI::App& app) { return DefineCall(app, "DllRegisterServer", "Registered"); }}};
const Registration kUnregister{
    {"unregister", "remove this user's registration of the library",
     [](CLI::App& app) { return DefineCall(app, "DllUnregisterServer", "Unregistered"); }}};

}  // namespace
}  // namespace lumbrook::host
