// Whether a file reached the disk before it took its name. A test program that links
// sync_trace.cpp has its own fsync and rename in front of the C library's (the shared
// libraries' calls reach them too): each notes the call and hands it on.
#pragma once

#include <string>

namespace lumbrook::testing {

// Forgets the calls noted so far and notes the ones from now on.
void StartSyncTrace();

// "" when, among the calls noted since StartSyncTrace, a file of `size` bytes was synced and
// then renamed onto `target` (open, write, fsync, rename); otherwise what is missing.
std::string SyncedBeforeRenamed(const std::string& target, long long size);

}  // namespace lumbrook::testing
