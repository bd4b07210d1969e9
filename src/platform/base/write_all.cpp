#include "platform/base/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace lumbrook::platform {

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = ::write(fd, next, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0) {
            errno = EIO;
            return false;
        }
        next += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace lumbrook::platform
