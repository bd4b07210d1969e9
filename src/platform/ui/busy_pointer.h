// The busy (hourglass) pointer while an operation queries and fills a control.
#pragma once

namespace lumbrook::platform {

// Sets the application's pointer to the busy pointer and puts back, when it goes out of
// scope, the pointer that was in effect before. Nesting works: each restores its own.
// Does nothing while no Qt application exists.
class BusyPointer {
  public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    bool active_ = false;
};

// True while at least one BusyPointer is in effect.
bool BusyPointerShown();

}  // namespace lumbrook::platform
