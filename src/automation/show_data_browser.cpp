// ShowDataBrowser: the data browser, shown modally, hands the user's choice back through
// the object's properties. The window lives in the module liblumbrook-browser.so, loaded on
// the first call, so that the server itself links no Qt library.
#include <dlfcn.h>
#include <unistd.h>  // access

#include <string>
#include <vector>

#include "automation/lumbrook_object.h"
#include "automation/version.h"
#include "browser/module/browser_module.h"
#include "global/process_state.h"
#include "platform/app/app.h"

namespace lumbrook::automation {
namespace {

// Where the module may be: the "lumbrook" folder beside the library (or program) that holds
// this code, where an install puts it, then beside it, where a build tree keeps it (its bin/
// folder holds the program `lumbrook` already). The folder is the library's real one; when
// that cannot be told, the current directory, where a relative name would be looked for.
std::vector<std::string> BrowserModulePaths() {
    std::string folder = platform::ModuleFolder(reinterpret_cast<const void*>(&BrowserModulePaths));
    if (folder.empty())
        folder = platform::CurrentDirectory();
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();  // "/" itself too: the names below begin with "/"
    return {folder + "/lumbrook/" LUMBROOK_BROWSER_MODULE_FILE,
            folder + "/" LUMBROOK_BROWSER_MODULE_FILE};
}

// "A", "A and B", "A, B and C": every place looked in, for the message that none holds it.
std::string PlacesLookedIn(const std::vector<std::string>& paths) {
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i)
        text += (i == 0 ? "" : i + 1 == paths.size() ? " and " : ", ") + paths[i];
    return text;
}

// The module's entry point, loaded once; null with `error` set when the module is missing or
// does not load (no Qt on this machine, say). The handle is kept for the life of the process:
// the windows' code must stay mapped while their objects may exist.
LumbrookShowBrowserFunction LoadBrowserModule(std::string& error) {
    static LumbrookShowBrowserFunction entry = nullptr;
    if (entry != nullptr)
        return entry;
    // Windows linked into the program itself (the browser's tests, which drive them through
    // their own copy of the window classes) serve directly, so that the process holds one
    // copy of them.
    entry =
        reinterpret_cast<LumbrookShowBrowserFunction>(dlsym(RTLD_DEFAULT, LUMBROOK_BROWSER_ENTRY));
    if (entry != nullptr)
        return entry;
    const std::vector<std::string> candidates = BrowserModulePaths();
    std::string path;
    for (const std::string& candidate : candidates) {
        if (::access(candidate.c_str(), F_OK) == 0) {
            path = candidate;
            break;
        }
    }
    if (path.empty()) {
        error = "the data browser is not installed: " + PlacesLookedIn(candidates) +
                (candidates.size() > 1 ? " do not exist" : " does not exist");
        return nullptr;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = dlerror();
        error = "the data browser is not installed: " + path + " (" +
                (why != nullptr ? why : "it does not load") + ")";
        return nullptr;
    }
    entry = reinterpret_cast<LumbrookShowBrowserFunction>(dlsym(module, LUMBROOK_BROWSER_ENTRY));
    if (entry == nullptr)
        error = "the data browser is not installed: " + path + " has no " LUMBROOK_BROWSER_ENTRY;
    return entry;
}

}  // namespace

HRESULT LumbrookObject::ShowDataBrowser(VARIANT_BOOL* pRetVal) {
    if (pRetVal == nullptr)
        return E_POINTER;
    BrowserHandoverRecord& handover = Global().BrowserHandover;
    handover.Reset();

    // Errors while the window loads and is shown are ignored: the call goes on to hand back
    // whatever the record holds, which after a failure is the reset state.
    lastBrowserError_.clear();
    if (const LumbrookShowBrowserFunction show = LoadBrowserModule(lastBrowserError_)) {
        char whyNot[512];
        if (show(&Global(), &kLibraryVersion, whyNot, sizeof whyNot) == 0)
            lastBrowserError_ = whyNot;
    }

    // The copy-back happens whether or not the user accepted.
    descriptor_ = handover.Descriptor;
    export_.msType = handover.MSType;
    export_.allSpectra = handover.AllSpectra;
    export_.jobRunItemId = handover.JobRunItemID;
    export_.jobRunId = handover.JobRunID;
    descriptorList_ = handover.DescriptorList;
    *pRetVal = handover.Accepted ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

}  // namespace lumbrook::automation
