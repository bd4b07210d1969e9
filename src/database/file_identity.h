// A file's identity on its file system, the device and the inode: what tells whether two
// names are one file.
#pragma once

#include <cstdint>

namespace lumbrook::database {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

}  // namespace lumbrook::database
