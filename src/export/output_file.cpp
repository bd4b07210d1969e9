#include "export/output_file.h"

#include <dirent.h>    // opendir, readdir: the folder's stray temporary files
#include <fcntl.h>     // open, fcntl
#include <sys/file.h>  // flock: a live export's claim on its temporary file
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <climits>
#include <optional>
#include <string_view>

#include "export/file_error.h"
#include "platform/base/write_all.h"

namespace lumbrook::exporting {
namespace {

// The temporary file of target NAME in folder DIR is DIR/.NAME.PID.N.lumbrook-tmp.
constexpr std::string_view kTemporarySuffix = ".lumbrook-tmp";

// How many symbolic links a name may pass through before it counts as a loop, as the
// system's own limit.
constexpr int kMaxLinks = 40;

// Tells apart the temporary files of one process's exports of one target.
std::atomic<unsigned> temporaryCounter{0};

// How many temporary names an export tries before it gives up. A name is taken only when an
// earlier process of the same id left its file there, or when another export's clean-up
// removed the new file before it was locked: a few tries suffice, and a bound keeps a fault
// the clash test cannot see from turning into an endless loop.
constexpr int kTemporaryNameTries = 100;

// The descriptor that names such as /dev/stdout or /dev/fd/3 stand for. Writing into a
// duplicate of it, rather than opening the name again, keeps the descriptor's own state:
// a file a shell opened for appending is appended to, not emptied.
std::optional<int> InheritedDescriptor(std::string_view path) {
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = path.substr(prefix.size());
        if (digits.empty() || digits.size() > 6)
            return std::nullopt;
        int fd = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            fd = fd * 10 + (c - '0');
        }
        return fd;
    }
    return std::nullopt;
}

std::string ParentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links from `path` to the name they finally stand for, which need not exist
// yet (a link to a file not yet written). FileError for a loop.
std::string FinalPath(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0)
            throw FileErrorFromErrno(errno, path);
        std::string next(target, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : ParentFolder(current) + "/" + next;
    }
    throw FileErrorFromErrno(ELOOP, path);
}

// True when `name` is a temporary file name of the target whose hidden prefix is `prefix`:
// the prefix, digits, ".", digits and the suffix.
bool IsTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() + kTemporarySuffix.size() ||
        name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
        return false;
    }
    const std::string_view middle =
        name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
    const std::size_t dot = middle.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == middle.size())
        return false;
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i != dot && (middle[i] < '0' || middle[i] > '9'))
            return false;
    }
    return true;
}

// Removes the temporary files of the target that no live export holds: those left by exports
// that were killed. An export holds a lock on its temporary file for as long as it runs, so a
// file whose lock can be taken has no owner. Failures are ignored: a stray file that cannot
// be removed now never affects the target and is tried again by the next export.
void RemoveStrayTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryName(entry->d_name, prefix))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        // The name must still be the file that was locked, not one created since.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
            lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino && S_ISREG(named.st_mode)) {
            unlink(path.c_str());
        }
        close(fd);
    }
    closedir(dir);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path) {
    RefuseNulInFileName(path);
    if (const std::optional<int> inherited = InheritedDescriptor(path)) {
        fd_ = fcntl(*inherited, F_DUPFD_CLOEXEC, 3);
        if (fd_ < 0)
            throw FileErrorFromErrno(errno == EBADF ? ENOENT : errno, path_);
        return;
    }
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        throw FileErrorFromErrno(errno, path_);
    if (exists && !S_ISREG(existing.st_mode)) {
        // A FIFO, a terminal, a device: written directly, as there is nothing to replace.
        OpenInPlace();
        return;
    }

    // A file the user may not write stays refused, as writing it in place would be: the
    // rename would otherwise replace a file that was made read-only.
    if (exists && access(path.c_str(), W_OK) != 0)
        throw FileErrorFromErrno(errno, path_);
    // Another user's file that this process may write but could not give back to its owner
    // is written in place, as before: a replacement would take it over (and a folder with
    // the sticky bit, such as /tmp, refuses the rename).
    if (exists && existing.st_uid != geteuid() && geteuid() != 0) {
        OpenInPlace();
        return;
    }

    target_ = FinalPath(path);
    const std::string folder = ParentFolder(target_);
    const std::string prefix = "." + BaseName(target_) + ".";
    RemoveStrayTemporaries(folder, prefix);
    const std::string stem = folder + "/" + prefix + std::to_string(getpid()) + ".";
    for (int tries = 1;; ++tries) {
        std::string candidate =
            stem + std::to_string(temporaryCounter++) + std::string(kTemporarySuffix);
        // 0666 less the umask: the usual mode of a new file.
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST && tries < kTemporaryNameTries)
                continue;  // left by an earlier process of the same id; take the next name
            if (errno == EACCES || errno == EPERM || errno == ENAMETOOLONG) {
                // A folder that lets the file be written but not created beside it, or a
                // name too long for the hidden one: written in place, as before, rather
                // than not at all.
                target_.clear();
                OpenInPlace();
                return;
            }
            throw FileErrorFromErrno(errno, path_);
        }
        // Another export's clean-up may have removed the file between its creation and the
        // lock: only a file that is still there once locked is ours.
        struct stat held {};
        struct stat named {};
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
            lstat(candidate.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            fd_ = fd;
            temporary_ = std::move(candidate);
            break;
        }
        close(fd);
        if (tries >= kTemporaryNameTries)
            throw FileErrorFromErrno(EEXIST, path_);
    }
    if (exists) {
        // The replacement keeps the target's owner and group where the process may give
        // them (root any, a user a group of their own; a failure leaves the process's),
        // then its mode, which the change of owner would otherwise have reset.
        if (existing.st_uid != geteuid() || existing.st_gid != getegid()) {
            [[maybe_unused]] const int ignored =
                fchown(fd_, existing.st_uid, existing.st_gid);  // see above
        }
        if (fchmod(fd_, existing.st_mode & 07777) != 0) {
            const int error = errno;
            Discard();
            throw FileErrorFromErrno(error, path_);
        }
    }
}

void OutputFile::OpenInPlace() {
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw FileErrorFromErrno(errno, path_);
}

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Discard() noexcept {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        unlink(temporary_.c_str());
    temporary_.clear();
}

void OutputFile::Write(const char* data, std::size_t size) {
    assert(fd_ >= 0);
    if (!platform::WriteAll(fd_, data, size))
        throw FileErrorFromErrno(errno, path_);
}

void OutputFile::Commit() {
    assert(fd_ >= 0);
    if (temporary_.empty()) {
        const int fd = fd_;
        fd_ = -1;
        // close() reports write errors found late (NFS, quotas). On Linux the descriptor is
        // gone even when close fails, so it is not retried.
        if (close(fd) != 0 && errno != EINTR)
            throw FileErrorFromErrno(errno, path_);
        return;
    }
    // The data is on disk before the rename makes it the target, so after a crash the name
    // holds the old file or the complete new one. The folder is not flushed: that would only
    // decide which of the two.
    int error = 0;
    int synced = 0;
    while ((synced = fsync(fd_)) != 0 && errno == EINTR) {
    }
    if (synced != 0) {
        error = errno;
    } else {
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0 && errno != EINTR)
            error = errno;
        else if (rename(temporary_.c_str(), target_.c_str()) != 0)
            error = errno;
    }
    if (error != 0) {
        Discard();
        throw FileErrorFromErrno(error, path_);
    }
    // Renamed: the name is the target's now, and the lock went with the descriptor.
    temporary_.clear();
}

}  // namespace lumbrook::exporting
