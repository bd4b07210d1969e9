/* For C++ hosts: a sink for the Progress event of a Lumbrook object, and the advice that keeps
 * it connected for a scope. Header only: it adds nothing to the libraries' interface. */
#ifndef LUMBROOK_PROGRESS_SINK_H
#define LUMBROOK_PROGRESS_SINK_H

#ifdef __cplusplus

#include <functional>
#include <utility>

#include "lumbrook/lumbrook.h"

namespace lumbrook {

/* A late-bound sink of _LumbrookEvents that hands each Progress event's done and total counts
 * to a function; what the function returns is the sink's answer to the event. It lives where
 * its owner puts it (on the stack, say): the reference count keeps the protocol and tells
 * how many holders it has, but the sink never deletes itself, so it must outlive them. */
class ProgressSink final : public IDispatch {
  public:
    using Handler = std::function<HRESULT(LONG done, LONG total)>;

    explicit ProgressSink(Handler onProgress) : onProgress_(std::move(onProgress)) {}
    ProgressSink(const ProgressSink&) = delete;
    ProgressSink& operator=(const ProgressSink&) = delete;

    /* How many references are held, the owner's one included. */
    ULONG References() const { return refs_; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch)
            return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return --refs_; }
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    /* Progress is the event's only member; its two LONG arguments arrive last first. */
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        if (id != LUMBROOK_DISPID_PROGRESS)
            return DISP_E_MEMBERNOTFOUND;
        if (params == nullptr || params->cArgs != 2 || params->rgvarg[0].vt != VT_I4 ||
            params->rgvarg[1].vt != VT_I4) {
            return DISP_E_BADPARAMCOUNT;
        }
        return onProgress_(params->rgvarg[1].u.lVal, params->rgvarg[0].u.lVal);
    }

  private:
    Handler onProgress_;
    ULONG refs_ = 1;
};

/* Connects a sink to an object's Progress events from construction to destruction. Active()
 * says whether the connection was made. */
class ProgressAdvice {
  public:
    ProgressAdvice(IUnknown& object, IDispatch& sink) {
        IConnectionPointContainer* container = nullptr;
        if (FAILED(object.QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container)))) {
            return;
        }
        if (SUCCEEDED(container->FindConnectionPoint(DIID___Lumbrook, &point_)) &&
            FAILED(point_->Advise(&sink, &cookie_))) {
            point_->Release();
            point_ = nullptr;
        }
        container->Release();
    }
    ~ProgressAdvice() {
        if (point_ != nullptr) {
            point_->Unadvise(cookie_);
            point_->Release();
        }
    }
    ProgressAdvice(const ProgressAdvice&) = delete;
    ProgressAdvice& operator=(const ProgressAdvice&) = delete;

    bool Active() const { return point_ != nullptr; }

  private:
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

}  // namespace lumbrook

#endif /* __cplusplus */

#endif /* LUMBROOK_PROGRESS_SINK_H */
