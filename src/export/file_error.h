// The error a peak list file operation raises when the file cannot be created or written:
// the platform's file error number (as an automation error code) and a sentence naming the
// file. It reaches the host as the error of DoExport.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lumbrook::exporting {

class FileError : public std::runtime_error {
  public:
    FileError(std::int32_t code, const std::string& message)
        : std::runtime_error(message), code_(code) {}

    // The automation error code: 0x800A0000 plus the platform's file error number, for
    // example 0x800A003D (61, "Disk full").
    std::int32_t Code() const { return code_; }

  private:
    std::int32_t code_;
};

// The code of "Path/File access error" (75), for refusals that no errno describes.
inline constexpr std::int32_t kPathFileAccessErrorCode = static_cast<std::int32_t>(0x800A004Bu);

// The code of "Bad file name or number" (52), for a name no system call can take.
inline constexpr std::int32_t kBadFileNameCode = static_cast<std::int32_t>(0x800A0034u);

// The FileError for a failed system call on `path`, chosen by its errno value.
FileError FileErrorFromErrno(int errorNumber, const std::string& path);

// Raises FileError when `path` holds a NUL character. The system would take the name to end
// there: the file written would be another one than the caller named, perhaps one that exists.
void RefuseNulInFileName(const std::string& path);

}  // namespace lumbrook::exporting
