// The thread's message pump, as the platform's DoEvents offers it.
//
// Long operations (the export after every spectrum, the item grid while it refills) call
// DoEvents() to let pending window events and posted calls run on the same thread. That is
// how a host's re-entrant call, such as a Cancel from its own event handler, reaches a
// running operation. Nothing here starts a thread or takes a lock.
#pragma once

#include <functional>

namespace lumbrook::platform {

// Something that processes pending window-system events on this thread. The user-interface
// layer installs one once it has started its application object; without it only posted
// calls run.
using EventPump = void (*)();

// Installs (or, with nullptr, removes) the window-system pump for this thread.
void SetEventPump(EventPump pump);

// Queues a call to run on this thread at the next DoEvents().
void PostCall(std::function<void()> call);

// Number of calls waiting in this thread's queue.
std::size_t PendingCallCount();

// Processes pending window-system events, then runs the calls posted so far. Calls posted
// while these run wait for the next DoEvents(), so a call that posts itself cannot loop.
void DoEvents();

}  // namespace lumbrook::platform
