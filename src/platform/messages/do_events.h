// The thread's message pump, as the platform's DoEvents offers it.
//
// Long operations (the export after every spectrum, the item grid while it refills) call
// DoEvents() to let pending window events and posted calls run on the same thread. That is
// how a host's re-entrant call, such as a Cancel from its own event handler, reaches a
// running operation. Nothing here starts a thread or takes a lock.
//
// The pump and the queue are one per thread for the whole process: the windows install the
// pump from their module and the export in the server runs it. They live in the platform
// library behind the C functions below; the C++ functions here call them.
#pragma once

#include <functional>
#include <memory>

#include "lumbrook/com.h"

extern "C" {
// Installs (or, with NULL, removes) this thread's window-system pump.
LUMBROOK_PLATFORM_API void PlatformSetEventPump(void (*pump)(void));
// Queues `run(context)` for this thread's next PlatformDoEvents. `run` takes `context` over;
// `discard(context)` frees a context whose call never runs (its thread ends first).
LUMBROOK_PLATFORM_API void PlatformPostCall(void (*run)(void* context),
                                            void (*discard)(void* context), void* context);
// Runs the pump, then the calls posted so far. An exception a call throws reaches the caller;
// the calls behind it stay queued.
LUMBROOK_PLATFORM_API void PlatformDoEvents(void);
}

namespace lumbrook::platform {

// Something that processes pending window-system events on this thread. The user-interface
// layer installs one once it has started its application object; without it only posted
// calls run.
using EventPump = void (*)();

// Installs (or, with nullptr, removes) the window-system pump for this thread.
inline void SetEventPump(EventPump pump) {
    PlatformSetEventPump(pump);
}

// Queues a call to run on this thread at the next DoEvents().
inline void PostCall(std::function<void()> call) {
    using Call = std::function<void()>;
    PlatformPostCall(
        [](void* context) { std::unique_ptr<Call>(static_cast<Call*>(context))->operator()(); },
        [](void* context) { delete static_cast<Call*>(context); }, new Call(std::move(call)));
}

// Processes pending window-system events, then runs the calls posted so far. Calls posted
// while these run wait for the next DoEvents(), so a call that posts itself cannot loop.
inline void DoEvents() {
    PlatformDoEvents();
}

}  // namespace lumbrook::platform
