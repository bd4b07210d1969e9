#include "support/sync_trace.h"

#include <dlfcn.h>  // dlsym(RTLD_NEXT): the C library's own fsync and rename
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>  // rename
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

namespace lumbrook::testing {
namespace {

// One call: "fsync" of `path` when it held `size` bytes, or "rename" of `path` to `target`.
// Names are the canonical ones, so that a file synced through its descriptor and renamed by
// its name compare equal.
struct SyncCall {
    std::string call;
    std::string path;
    std::string target;
    long long size = -1;
};

struct Trace {
    std::mutex mutex;
    bool on = false;
    std::vector<SyncCall> calls;
};

Trace& TheTrace() {
    static Trace trace;
    return trace;
}

void Note(SyncCall call) {
    Trace& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    if (trace.on)
        trace.calls.push_back(std::move(call));
}

std::string Canonical(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

}  // namespace

void StartSyncTrace() {
    Trace& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    trace.calls.clear();
    trace.on = true;
}

std::string SyncedBeforeRenamed(const std::string& target, long long size) {
    Trace& trace = TheTrace();
    const std::lock_guard lock(trace.mutex);
    const std::string wanted = Canonical(target);
    for (std::size_t i = 0; i < trace.calls.size(); ++i) {
        const SyncCall& call = trace.calls[i];
        if (call.call != "rename" || call.target != wanted)
            continue;
        for (std::size_t j = i; j-- > 0;) {
            const SyncCall& before = trace.calls[j];
            if (before.call == "fsync" && before.path == call.path && before.size == size)
                return "";
        }
    }
    return "no fsync of " + std::to_string(size) + " bytes before the rename onto " + wanted;
}

}  // namespace lumbrook::testing

using lumbrook::testing::SyncCall;

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    SyncCall call;
    call.call = "fsync";
    char path[PATH_MAX];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    if (length > 0)
        call.path.assign(path, static_cast<std::size_t>(length));
    struct stat info {};
    if (fstat(fd, &info) == 0)
        call.size = info.st_size;
    lumbrook::testing::Note(std::move(call));
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto real =
        reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    // Before the call, while the name still leads to the file.
    lumbrook::testing::Note({.call = "rename",
                             .path = lumbrook::testing::Canonical(from),
                             .target = lumbrook::testing::Canonical(to),
                             .size = -1});
    return real(from, to);
}
