// The server's module state: how many objects are alive and how many LockServer locks are
// held, which DllCanUnloadNow answers from.
#pragma once

namespace lumbrook::automation {

void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool lock);
// True while no object and no lock is alive.
bool CanUnload();

}  // namespace lumbrook::automation
