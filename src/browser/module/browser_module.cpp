// The entry point of liblumbrook-browser.so: starts the Qt application when none runs, and
// shows frmMain modally on the server's process-wide state.
#include "browser/module/browser_module.h"

#include <cstring>
#include <exception>
#include <string>

#include "browser/frm_main.h"
#include "global/process_state.h"
#include "platform/ui/application.h"

namespace {

// Copies `text` into the caller's buffer, cut to its size and always NUL-terminated.
void CopyReason(const std::string& text, char* whyNot, std::size_t whyNotSize) {
    if (whyNot == nullptr || whyNotSize == 0)
        return;
    const std::size_t n = std::min(text.size(), whyNotSize - 1);
    std::memcpy(whyNot, text.data(), n);
    whyNot[n] = '\0';
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int LumbrookShowBrowser(
    lumbrook::ModGlobal* state, const lumbrook::platform::Version* version, char* whyNot,
    std::size_t whyNotSize) {
    CopyReason("", whyNot, whyNotSize);
    if (state == nullptr || version == nullptr) {
        CopyReason("the data browser was called without its state", whyNot, whyNotSize);
        return 0;
    }
    lumbrook::AdoptGlobal(*state);
    // Errors while the window loads and is shown end the call: the caller hands back
    // whatever the record holds, which after a failure is the reset state. No exception
    // crosses the C boundary.
    try {
        std::string reason;
        if (!lumbrook::platform::StartApplication(reason)) {
            CopyReason(reason, whyNot, whyNotSize);
            return 0;
        }
        lumbrook::browser::frmMain form(*version);
        if (!form.Load()) {
            // The window closed itself while loading: the caller learns why.
            CopyReason(form.WhyNotShown(), whyNot, whyNotSize);
            return 0;
        }
        form.exec();
        return 1;
    } catch (const std::exception& e) {
        CopyReason(e.what(), whyNot, whyNotSize);
    } catch (...) {
        CopyReason("the data browser failed", whyNot, whyNotSize);
    }
    return 0;
}
