// ShowDataBrowser: the data browser, shown modally, hands the user's choice back through
// the object's properties.
#include "automation/lumbrook_object.h"
#include "automation/version.h"
#include "browser/frm_main.h"
#include "global/process_state.h"
#include "platform/ui/application.h"

namespace lumbrook::automation {

HRESULT LumbrookObject::ShowDataBrowser(VARIANT_BOOL* pRetVal) {
    if (pRetVal == nullptr)
        return E_POINTER;
    BrowserHandoverRecord& handover = Global().BrowserHandover;
    handover.Reset();

    // Errors while the window loads and is shown are ignored: the call goes on to hand back
    // whatever the record holds, which after a failure is the reset state.
    lastBrowserError_.clear();
    try {
        std::string whyNot;
        if (!platform::StartApplication(whyNot)) {
            lastBrowserError_ = whyNot;
        } else {
            browser::frmMain form(kLibraryVersion);
            if (form.Load())
                form.exec();
        }
    } catch (const std::exception& e) {
        lastBrowserError_ = e.what();
    } catch (...) {
        lastBrowserError_ = "the data browser failed";
    }

    // The copy-back happens whether or not the user accepted.
    descriptor_ = handover.Descriptor;
    msType_ = handover.MSType;
    allSpectra_ = handover.AllSpectra;
    jobRunItemId_ = handover.JobRunItemID;
    jobRunId_ = handover.JobRunID;
    descriptorList_ = handover.DescriptorList;
    *pRetVal = handover.Accepted ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

}  // namespace lumbrook::automation
