#include "platform/messages/do_events.h"

#include <deque>
#include <iterator>
#include <utility>

namespace {

// A call posted through the C interface. It owns its context until it runs, and frees a
// context that never ran.
class PostedCall {
  public:
    PostedCall(void (*run)(void*), void (*discard)(void*), void* context)
        : run_(run), discard_(discard), context_(context) {}
    PostedCall(PostedCall&& other) noexcept
        : run_(other.run_),
          discard_(other.discard_),
          context_(std::exchange(other.context_, nullptr)) {}
    PostedCall& operator=(PostedCall&& other) noexcept {
        std::swap(run_, other.run_);
        std::swap(discard_, other.discard_);
        std::swap(context_, other.context_);
        return *this;
    }
    PostedCall(const PostedCall&) = delete;
    PostedCall& operator=(const PostedCall&) = delete;
    ~PostedCall() {
        if (context_ != nullptr && discard_ != nullptr)
            discard_(context_);
    }

    // Runs the call once; the context passes to it.
    void Run() { run_(std::exchange(context_, nullptr)); }

  private:
    void (*run_)(void*);
    void (*discard_)(void*);
    void* context_;
};

// Per-thread state: the objects of this program live in a single-threaded apartment, so each
// thread has its own queue and its own pump.
struct ThreadMessages {
    void (*pump)() = nullptr;
    std::deque<PostedCall> posted;
};

// This thread's pump and queue; every thread that posts or pumps has its own.
ThreadMessages& Messages() {
    thread_local ThreadMessages messages;
    return messages;
}

}  // namespace

extern "C" {

void PlatformSetEventPump(void (*pump)(void)) {
    Messages().pump = pump;
}

void PlatformPostCall(void (*run)(void*), void (*discard)(void*), void* context) {
    Messages().posted.emplace_back(run, discard, context);
}

void PlatformDoEvents(void) {
    ThreadMessages& messages = Messages();
    if (messages.pump != nullptr)
        messages.pump();
    // Take the batch first: a call that posts another one runs it at the next DoEvents.
    std::deque<PostedCall> batch;
    batch.swap(messages.posted);
    while (!batch.empty()) {
        PostedCall call = std::move(batch.front());
        batch.pop_front();
        try {
            call.Run();
        } catch (...) {
            // The failing call's error goes to the caller of DoEvents; the calls behind it
            // stay queued for the next DoEvents instead of being dropped.
            messages.posted.insert(messages.posted.begin(), std::make_move_iterator(batch.begin()),
                                   std::make_move_iterator(batch.end()));
            throw;
        }
    }
}

}  // extern "C"
