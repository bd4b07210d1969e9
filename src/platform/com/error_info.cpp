// The error object and the per-thread error-info slot. SetErrorInfo stores a reference in
// this thread's slot; GetErrorInfo hands that reference over and clears the slot, so each
// error is read once.
#include <atomic>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "lumbrook/utf16.h"
#include "platform/com/guid.h"

namespace {

using lumbrook::platform::ComPtr;

// One object serves both as the error being built (ICreateErrorInfo) and as the error read
// back (IErrorInfo).
class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
  public:
    // IUnknown, shared by both interfaces.
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (lumbrook::platform::IsNullGuid(&riid))
            return E_INVALIDARG;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *ppv = static_cast<IErrorInfo*>(this);
        } else if (riid == IID_ICreateErrorInfo) {
            *ppv = static_cast<ICreateErrorInfo*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    // IErrorInfo.
    HRESULT GetGUID(GUID* pGUID) override {
        if (pGUID == nullptr)
            return E_INVALIDARG;
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* out) override { return Copy(source_, out); }
    HRESULT GetDescription(BSTR* out) override { return Copy(description_, out); }
    HRESULT GetHelpFile(BSTR* out) override { return Copy(helpFile_, out); }
    HRESULT GetHelpContext(DWORD* out) override {
        if (out == nullptr)
            return E_INVALIDARG;
        *out = helpContext_;
        return S_OK;
    }

    // ICreateErrorInfo.
    HRESULT SetGUID(REFGUID rguid) override {
        if (lumbrook::platform::IsNullGuid(&rguid))
            return E_INVALIDARG;
        guid_ = rguid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) override { return Store(text, source_); }
    HRESULT SetDescription(LPOLESTR text) override { return Store(text, description_); }
    HRESULT SetHelpFile(LPOLESTR text) override { return Store(text, helpFile_); }
    HRESULT SetHelpContext(DWORD context) override {
        helpContext_ = context;
        return S_OK;
    }

  private:
    ~ErrorInfo() = default;

    static HRESULT Copy(const std::u16string& text, BSTR* out) {
        if (out == nullptr)
            return E_INVALIDARG;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    // The texts are plain NUL-terminated strings; a BSTR passed here keeps only the text up
    // to its first NUL, as on the platform.
    static HRESULT Store(LPOLESTR text, std::u16string& field) {
        field = text == nullptr ? std::u16string() : std::u16string(text);
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    GUID guid_{};
    std::u16string source_;
    std::u16string description_;
    std::u16string helpFile_;
    DWORD helpContext_ = 0;
};

// This thread's error-info slot: the error object SetErrorInfo stored, until GetErrorInfo
// takes it.
ComPtr<IErrorInfo>& ThreadSlot() {
    thread_local ComPtr<IErrorInfo> slot;
    return slot;
}

}  // namespace

extern "C" {

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (pperrinfo == nullptr)
        return E_INVALIDARG;
    *pperrinfo = new ErrorInfo();
    return S_OK;
}

HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
    if (dwReserved != 0)
        return E_INVALIDARG;
    if (perrinfo != nullptr)
        perrinfo->AddRef();
    ThreadSlot() = ComPtr<IErrorInfo>::Adopt(perrinfo);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
    if (dwReserved != 0 || pperrinfo == nullptr)
        return E_INVALIDARG;
    *pperrinfo = ThreadSlot().release();
    return *pperrinfo == nullptr ? S_FALSE : S_OK;
}

}  // extern "C"
