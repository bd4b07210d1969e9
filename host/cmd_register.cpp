// lumbrook register and lumbrook unregister: the per-user registration of the library beside
// the program, through its own DllRegisterServer and DllUnregisterServer.
#include <dlfcn.h>

#include <iostream>

#include "command.h"
#include "options.h"
#include "platform/app/app.h"
#include "server.h"

namespace lumbrook::host {
namespace {

using ExportFunction = HRESULT (*)();

int CallExport(const std::vector<std::string>& args, const char* command, const char* exportName,
               const char* done) {
    const ParsedOptions options = ParseOptions(args, {});
    if (options.Has("help")) {
        std::cout << "Usage: lumbrook " << command << "\n\nCalls " << exportName
                  << " of the liblumbrook.so beside this program.\n";
        return kExitOk;
    }
    if (!options.positional.empty())
        throw UsageError(std::string(command) + " takes no arguments");
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

int RunRegister(const std::vector<std::string>& args) {
    return CallExport(args, "register", "DllRegisterServer", "Registered");
}

int RunUnregister(const std::vector<std::string>& args) {
    return CallExport(args, "unregister", "DllUnregisterServer", "Unregistered");
}

const Registration kRegister{{"register", "register the library beside this program for this user",
                              "Usage: lumbrook register", RunRegister}};
const Registration kUnregister{{"unregister", "remove this user's registration of the library",
                                "Usage: lumbrook unregister", RunUnregister}};

}  // namespace
}  // namespace lumbrook::host
