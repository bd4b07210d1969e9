#include "automation/class_factory.h"

#include <new>

#include "automation/lumbrook_object.h"
#include "automation/server_module.h"
#include "lumbrook/com_ptr.h"
#include "platform/com/guid.h"

namespace lumbrook::automation {
namespace {

class ClassFactory final : public IClassFactory {
  public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (platform::IsNullGuid(&riid))
            return E_INVALIDARG;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factory is static: references to it do not keep anything alive, LockServer does.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (platform::IsNullGuid(&riid))
            return E_INVALIDARG;
        if (pUnkOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        LumbrookObject* object = nullptr;
        try {
            object = LumbrookObject::Create();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        // The new object holds one reference; QueryInterface adds the caller's, and the
        // Release drops ours (destroying the object if the interface was refused).
        const HRESULT hr = static_cast<_Lumbrook*>(object)->QueryInterface(riid, ppv);
        static_cast<_Lumbrook*>(object)->Release();
        return hr;
    }

    HRESULT LockServer(BOOL fLock) override {
        LockModule(fLock != 0);
        return S_OK;
    }
};

}  // namespace

IClassFactory* LumbrookClassFactory() {
    static ClassFactory factory;
    return &factory;
}

}  // namespace lumbrook::automation
