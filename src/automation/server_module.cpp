#include "automation/server_module.h"

#include <atomic>

namespace lumbrook::automation {
namespace {

// Atomic although the objects live in a single-threaded apartment: a host may ask
// DllCanUnloadNow from another thread than the one that uses the objects.
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};

}  // namespace

void ObjectCreated() {
    ++liveObjects;
}
void ObjectDestroyed() {
    --liveObjects;
}
void LockModule(bool lock) {
    if (lock) {
        ++locks;
    } else if (locks > 0) {
        --locks;
    }
}
bool CanUnload() {
    return liveObjects == 0 && locks == 0;
}

}  // namespace lumbrook::automation
