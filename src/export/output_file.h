// Where a peak list file is written on disk. A regular file (or a name where none exists yet)
// is never written in place: the text goes into a new temporary file beside it, which
// replaces the target by a rename only when everything was written and flushed. Until then the
// target holds what it held before, whatever happens to the export or the process.
//
// Anything else (a FIFO, a terminal, a device, /dev/stdout) is written directly, as there is
// nothing to replace: a reader is waiting on the other end. So is, as before, a file that
// cannot be replaced without changing what it is: another user's file that this process may
// write but could not give back, or one in a folder where nothing can be created beside it.
#pragma once

#include <cstddef>
#include <string>

namespace lumbrook::exporting {

class OutputFile {
  public:
    // Opens the output for `path`. A symbolic link is followed: the file it finally points
    // to is the one replaced, and the link stays. The temporary file is hidden, named after
    // the target and the process, and locked while this object lives; temporary files of the
    // same target that no live export holds (left by exports that were killed) are removed
    // first. FileError (naming `path`) when the output cannot be opened.
    explicit OutputFile(const std::string& path);
    // Without Commit: removes the temporary file and leaves the target as it was.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes all of `data`, retrying after signals. FileError when a write fails.
    void Write(const char* data, std::size_t size);

    // Flushes the temporary file to disk and renames it over the target; a direct output is
    // closed. FileError when any step fails; the temporary file is then removed and the target
    // is as it was. Nothing may be written afterwards.
    void Commit();

    // The temporary file's path, or empty for a direct output.
    const std::string& TemporaryPath() const { return temporary_; }

  private:
    // Opens the caller's name itself, created or emptied: the direct output.
    void OpenInPlace();
    // Closes the descriptor and removes the temporary file: the target stays as it was.
    void Discard() noexcept;

    std::string path_;       // the name the caller gave, for messages
    std::string target_;     // the file the rename replaces (links followed)
    std::string temporary_;  // empty for a direct output
    int fd_ = -1;
};

}  // namespace lumbrook::exporting
