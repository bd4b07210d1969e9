#include "platform/messages/do_events.h"

#include <deque>
#include <iterator>
#include <utility>

namespace lumbrook::platform {
namespace {

// Per-thread state: the objects of this program live in a single-threaded apartment, so each
// thread has its own queue and its own pump.
struct ThreadMessages {
    EventPump pump = nullptr;
    std::deque<std::function<void()>> posted;
};

ThreadMessages& Messages() {
    thread_local ThreadMessages messages;
    return messages;
}

}  // namespace

void SetEventPump(EventPump pump) {
    Messages().pump = pump;
}

void PostCall(std::function<void()> call) {
    Messages().posted.push_back(std::move(call));
}

std::size_t PendingCallCount() {
    return Messages().posted.size();
}

void DoEvents() {
    ThreadMessages& messages = Messages();
    if (messages.pump != nullptr) {
        messages.pump();
    }
    // Take the batch first: a call that posts another one runs it at the next DoEvents.
    std::deque<std::function<void()>> batch;
    batch.swap(messages.posted);
    while (!batch.empty()) {
        std::function<void()> call = std::move(batch.front());
        batch.pop_front();
        try {
            call();
        } catch (...) {
            // The failing call's error goes to the caller of DoEvents; the calls behind it
            // stay queued for the next DoEvents instead of being dropped.
            messages.posted.insert(messages.posted.begin(), std::make_move_iterator(batch.begin()),
                                   std::make_move_iterator(batch.end()));
            throw;
        }
    }
}

}  // namespace lumbrook::platform
