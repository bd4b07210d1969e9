// The data browser as a module of its own, liblumbrook-browser.so: the only part of Lumbrook
// that links Qt. The server loads it with dlopen on the first ShowDataBrowser, so an export
// never loads a Qt library, and a machine without Qt (or without the module) still exports.
//
// Its interface is one C entry point. The module is built from the same sources as the server,
// but holds its own copy of them: the process-wide state stays one because the server hands
// the module a pointer to its own, which the module adopts before it does anything else.
#pragma once

#include <cstddef>

namespace lumbrook {
struct ModGlobal;
namespace platform {
struct Version;
}
}  // namespace lumbrook

// The name of the module's file, in the "lumbrook" folder beside the server library.
#define LUMBROOK_BROWSER_MODULE_FILE "liblumbrook-browser.so"
// The name of its entry point, for dlsym.
#define LUMBROOK_BROWSER_ENTRY "LumbrookShowBrowser"

extern "C" {
// Shows the data browser modally for the program of `version`, on the process-wide state
// `state` (the caller's BrowserHandover receives the choice). Returns 1 once the window has
// loaded and been shown, 0 when it could not load or closed itself while loading, with why in
// `whyNot` (NUL-terminated, cut to `whyNotSize`), for example "no display available: ..." or
// "no connection was made".
using LumbrookShowBrowserFunction = int (*)(lumbrook::ModGlobal* state,
                                            const lumbrook::platform::Version* version,
                                            char* whyNot, std::size_t whyNotSize);
}
