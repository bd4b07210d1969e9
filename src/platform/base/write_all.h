// Writing a whole buffer to a file descriptor. write() may write less than it was given (a
// full pipe, a signal arriving mid-way) or fail with EINTR before writing anything; neither
// is an error, so the rest is written again until all of it is out.
#pragma once

#include <cstddef>

namespace lumbrook::platform {

// Writes the `size` bytes at `data` to `fd`. True when all were written; false when a write
// failed, with errno telling why (EIO when a write wrote nothing without saying why, so a
// caller never reads a stale errno). Bytes before the failing write may have been written.
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace lumbrook::platform
