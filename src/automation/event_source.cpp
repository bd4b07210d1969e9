#include "automation/event_source.h"

#include <algorithm>

#include "platform/com/guid.h"

namespace lumbrook::automation {

HRESULT EventSource::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (platform::IsNullGuid(&riid))
        return E_INVALIDARG;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT EventSource::GetConnectionInterface(IID* pIID) {
    if (pIID == nullptr)
        return E_POINTER;
    *pIID = DIID___Lumbrook;
    return S_OK;
}

HRESULT EventSource::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (ppCPC == nullptr)
        return E_POINTER;
    container_->AddRef();
    *ppCPC = container_;
    return S_OK;
}

HRESULT EventSource::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
    if (pdwCookie == nullptr)
        return E_POINTER;
    *pdwCookie = 0;
    if (pUnkSink == nullptr)
        return E_POINTER;
    // A sink must implement the event interface or, as late-bound sinks do, IDispatch.
    platform::ComPtr<IDispatch> sink;
    if (FAILED(pUnkSink->QueryInterface(DIID___Lumbrook, sink.out_void())) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, sink.out_void()))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *pdwCookie = nextCookie_++;
    sinks_.push_back({*pdwCookie, std::move(sink)});
    return S_OK;
}

HRESULT EventSource::Unadvise(DWORD dwCookie) {
    const auto it = std::find_if(sinks_.begin(), sinks_.end(),
                                 [&](const Sink& s) { return s.cookie == dwCookie; });
    if (it == sinks_.end())
        return CONNECT_E_NOCONNECTION;
    sinks_.erase(it);
    return S_OK;
}

HRESULT EventSource::EnumConnections(IEnumConnections** ppEnum) {
    if (ppEnum != nullptr)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

void EventSource::FireProgress(long done, long total) {
    // A sink may Unadvise itself from inside the event; iterate over a copy.
    const std::vector<Sink> sinks = sinks_;
    for (const Sink& s : sinks) {
        VARIANT args[2];
        // Arguments go in reverse order: the last parameter first.
        VariantInit(&args[0]);
        args[0].vt = VT_I4;
        args[0].u.lVal = static_cast<LONG>(total);
        VariantInit(&args[1]);
        args[1].vt = VT_I4;
        args[1].u.lVal = static_cast<LONG>(done);
        DISPPARAMS params{args, nullptr, 2, 0};
        s.sink->Invoke(LUMBROOK_DISPID_PROGRESS, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                       nullptr, nullptr);
    }
}

}  // namespace lumbrook::automation
