// The outgoing event interface of the class, reached the platform's way: the object is an
// IConnectionPointContainer with one connection point for DIID___Lumbrook. Sinks are
// IDispatch objects; each event is an Invoke on them with the event's dispatch id.
#pragma once

#include <vector>

#include "lumbrook/com_ptr.h"
#include "lumbrook/lumbrook.h"

namespace lumbrook::automation {

class EventSource final : public IConnectionPoint {
  public:
    // `container` is the object that owns this connection point; its reference count is the
    // connection point's own.
    explicit EventSource(IConnectionPointContainer* container) : container_(container) {}
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return container_->AddRef(); }
    ULONG Release() override { return container_->Release(); }

    HRESULT GetConnectionInterface(IID* pIID) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT Unadvise(DWORD dwCookie) override;
    HRESULT EnumConnections(IEnumConnections** ppEnum) override;

    // True when at least one sink listens; callers skip building an event otherwise.
    bool HasSinks() const { return !sinks_.empty(); }

    // Raises Progress(done, total) on every sink. A sink's failure does not stop the others
    // and does not reach the caller: an event is a notification, not a question.
    void FireProgress(long done, long total);

    // Drops every sink (the object is going away).
    void Clear() { sinks_.clear(); }

  private:
    struct Sink {
        DWORD cookie;
        platform::ComPtr<IDispatch> sink;
    };
    IConnectionPointContainer* container_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace lumbrook::automation
