// bench_export: the export benchmark as bench/run.sh finds it, a bench_* program of the build
// tree. It runs bench/export/run.sh on the build tree it belongs to (the folder above its
// own bin/), which exits non-zero when a target is missed.
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::perror("bench_export: /proc/self/exe");
        return 2;
    }
    self[length] = '\0';
    std::string build(self);
    build.resize(build.rfind('/'));  // .../bin
    build.resize(build.rfind('/'));  // the build tree
    ::execl("/bin/bash", "bash", LUMBROOK_EXPORT_BENCH_SCRIPT, build.c_str(),
            static_cast<char*>(nullptr));
    std::perror("bench_export: /bin/bash");
    return 2;
}
