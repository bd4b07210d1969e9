#include <string>

#include "lumbrook/com_ptr.h"
#include "lumbrook/utf16.h"
#include "platform/com/error_info.h"

namespace lumbrook::platform {

HRESULT RaiseError(HRESULT hr, std::string_view source, std::string_view description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.out()))) {
        std::u16string source16 = Utf8ToUtf16(source);
        std::u16string description16 = Utf8ToUtf16(description);
        create->SetSource(source16.data());
        create->SetDescription(description16.data());
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.out_void()))) {
            SetErrorInfo(0, info.get());
        }
    }
    return hr;
}

}  // namespace lumbrook::platform
