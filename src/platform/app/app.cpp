#include "platform/app/app.h"

#include <dlfcn.h>   // dladdr: which loaded object holds an address
#include <limits.h>  // PATH_MAX
#include <stdlib.h>  // realpath
#include <unistd.h>  // chdir, getcwd

namespace lumbrook::platform {

std::string FormatVersion(const Version& version) {
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

namespace {

// Reads a text of the platform library's state: asks with a guess at its length and asks
// again when it was longer.
template <typename Read>
std::string ReadText(Read read) {
    std::string text(64, '\0');
    while (true) {
        const std::size_t length = read(text.data(), text.size() + 1);
        const bool fitted = length <= text.size();
        text.resize(length);
        if (fitted)
            return text;
    }
}

}  // namespace

std::string AppTitle() {
    return ReadText(PlatformAppTitle);
}

std::string StartDirectory() {
    return ReadText(PlatformStartDirectory);
}

std::string ModulePath(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    // The main program reports the name it was started with, relative to the folder it was
    // started in, which need not be the current directory any more; realpath then makes it
    // absolute.
    std::string name = info.dli_fname;
    if (!name.empty() && name.front() != '/' && !StartDirectory().empty()) {
        name = StartDirectory() + "/" + name;
    }
    char resolved[PATH_MAX];
    if (realpath(name.c_str(), resolved) == nullptr) {
        return {};
    }
    return resolved;
}

std::string ModuleFolder(const void* address) {
    std::string path = ModulePath(address);
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool SetCurrentDirectory(const std::string& folder) {
    StartDirectory();  // kept before the first change, whatever the order of initialisation
    return !folder.empty() && chdir(folder.c_str()) == 0;
}

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    return buffer;
}

}  // namespace lumbrook::platform
