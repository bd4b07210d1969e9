#include "export/file_error.h"

#include <cerrno>

namespace lumbrook::exporting {
namespace {

// The platform's file error numbers, raised as 0x800A0000 plus the number.
struct FileErrorKind {
    int number;
    const char* text;
};

constexpr FileErrorKind kBadFileName{52, "Bad file name or number"};
constexpr FileErrorKind kDeviceIoError{57, "Device I/O error"};
constexpr FileErrorKind kDiskFull{61, "Disk full"};
constexpr FileErrorKind kPermissionDenied{70, "Permission denied"};
constexpr FileErrorKind kPathFileAccessError{75, "Path/File access error"};
constexpr FileErrorKind kPathNotFound{76, "Path not found"};

FileErrorKind KindOf(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return kPermissionDenied;
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        case EISDIR:
        case ETXTBSY:
        case EEXIST:
            return kPathFileAccessError;
        case ENAMETOOLONG:
            return kBadFileName;
        default:
            return kDeviceIoError;
    }
}

}  // namespace

FileError FileErrorFromErrno(int errorNumber, const std::string& path) {
    const FileErrorKind kind = KindOf(errorNumber);
    const auto code = static_cast<std::int32_t>(0x800A0000u | static_cast<unsigned>(kind.number));
    return FileError(code, std::string(kind.text) + ": " + path);
}

void RefuseNulInFileName(const std::string& path) {
    // The name itself is left out of the message: it would carry the NUL along.
    if (path.find('\0') != std::string::npos)
        throw FileError(kBadFileNameCode,
                        std::string(kBadFileName.text) + ": the file name holds a NUL character");
}

}  // namespace lumbrook::exporting
