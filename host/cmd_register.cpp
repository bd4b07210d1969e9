// lumbrook register and lumbrook unregister: the per-user registration of the server library
// the program finds (installed, or beside it), through its own DllRegisterServer and
// DllUnregisterServer.
#include <dlfcn.h>

#include <iostream>

#include "command.h"
#include "options.h"
#include "server.h"

namespace lumbrook::host {
namespace {

using ExportFunction = HRESULT (*)();

int CallExport(const std::vector<std::string>& args, const char* command, const char* exportName,
               const char* done) {
    const ParsedOptions options = ParseOptions(args, {});
    if (options.Has("help")) {
        std::cout << "Usage: lumbrook " << command << "\n\nCalls " << exportName
                  << " of the server library this program finds: the installed one, or the one"
                     " beside this program.\n";
        return kExitOk;
    }
    if (!options.positional.empty())
        throw UsageError(std::string(command) + " takes no arguments");
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

int RunRegister(const std::vector<std::string>& args) {
    return CallExport(args, "register", "DllRegisterServer", "Registered");
}

int RunUnregister(const std::vector<std::string>& args) {
    return CallExport(args, "unregister", "DllUnregisterServer", "Unregistered");
}

const Registration kRegister{{"register", "register the server library for this user",
                              "Usage: lumbrook register", RunRegister}};
const Registration kUnregister{{"unregister", "remove this user's registration of the library",
                                "Usage: lumbrook unregister", RunUnregister}};

}  // namespace
}  // namespace lumbrook::host
