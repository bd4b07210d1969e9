// The server's module state: how many objects are alive and how many LockServer locks are
// held, which DllCanUnloadNow answers from.
#pragma once

namespace lumbrook::automation {

// Counted by every object's construction and destruction.
void ObjectCreated();
void ObjectDestroyed();
// IClassFactory::LockServer: true takes a lock, false releases one.
void LockModule(bool lock);
// True while no object and no lock is alive.
bool CanUnload();

}  // namespace lumbrook::automation
