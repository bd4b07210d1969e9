#include "platform/registry/hive_file.h"

#include <errno.h>
#include <fcntl.h>     // open
#include <limits.h>    // PATH_MAX: the longest link target
#include <pwd.h>       // getpwuid_r: the home folder when HOME is unset
#include <sys/file.h>  // flock
#include <sys/stat.h>  // mkdir, stat, fstat
#include <unistd.h>    // read, fsync, close, readlink

#include <cstdlib>
#include <cstring>  // strerror
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/base/write_all.h"
#include "platform/registry/hive_text.h"

namespace lumbrook::platform::registry {
namespace {

// A hive larger than kMaxHiveBytes is not read: no hand-kept registry comes near it, and it
// bounds what a damaged file can make a reader allocate.
constexpr off_t kMaxBytes = static_cast<off_t>(kMaxHiveBytes);

// The kernel's own limit on the links followed in one path.
constexpr int kMaxLinks = 40;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and tells whether that worked (a late write error shows up here).
    bool Close() { return close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

// The user's home folder: HOME when it is an absolute path, else the password entry's; empty
// when neither is known.
std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

// The folder of the user's configuration files: XDG_CONFIG_HOME, or ~/.config.
std::string ConfigFolder() {
    // The XDG rule: a relative or empty XDG_CONFIG_HOME is ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return config;
    const std::string home = HomeFolder();
    return (home.empty() ? std::string(".") : home) + "/.config";
}

// The folder part of an absolute path ("/" for a file at the top).
std::string ParentFolder(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates the folder and any missing parent with mode 0700. Existing folders keep their mode.
bool MakeFolders(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    if (folder.size() > 1 && folder.find('/', 1) != std::string::npos &&
        !MakeFolders(ParentFolder(folder))) {
        return false;
    }
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The last part of a path, without its folder.
std::string FileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Where a chain of symbolic links at `path` ends: the file that is read and replaced in its
// place, so that the link itself stays. The target need not exist yet. A chain longer than
// the kernel follows is given back as it stands, and opening it then fails.
std::string FollowLinks(std::string path) {
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return path;
        const std::string link(target, static_cast<std::size_t>(length));
        path = link[0] == '/' ? link : ParentFolder(path) + "/" + link;
    }
    return path;
}

std::string NotRegularFile(const std::string& path) {
    return path + ": not a regular file";
}

std::string TooLarge(const std::string& path) {
    return path + ": larger than 64 MiB, the most a registry file may hold";
}

// How a read of a registry file ended.
enum class ReadState { Absent, Read, Failed };

// Reads the whole file at `path` into `text`. Absent when there is no file; Failed, with the
// reason and the path in `error`, for anything but a regular file of at most kMaxHiveBytes
// that can be read.
ReadState ReadWholeFile(const std::string& path, std::string& text, std::string& error) {
    // Only a regular file is opened. Looking first spares a device the effects of an open;
    // O_NONBLOCK keeps a FIFO put there after the look from hanging the open, and fstat on
    // what was opened decides.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return ReadState::Absent;
        error = path + ": cannot open: " + std::strerror(errno);
        return ReadState::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        error = NotRegularFile(path);
        return ReadState::Failed;
    }
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return ReadState::Absent;
        error = path + ": cannot open: " + std::strerror(errno);
        return ReadState::Failed;
    }
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = NotRegularFile(path);
        return ReadState::Failed;
    }
    if (info.st_size > kMaxBytes) {
        error = TooLarge(path);
        return ReadState::Failed;
    }
    text.clear();
    char buffer[65536];
    while (true) {
        const ssize_t count = read(fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            error = path + ": cannot read: " + std::strerror(errno);
            return ReadState::Failed;
        }
        if (count == 0)
            return ReadState::Read;
        if (text.size() + static_cast<std::size_t>(count) > kMaxHiveBytes) {
            error = TooLarge(path);
            return ReadState::Failed;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

// The file's tree, freshly parsed, for a change to work on.
struct LoadedHive {
    bool ok = false;
    Key root;
    std::string error;
};

// Reads and parses the hive file for a change; an absent file is an empty tree.
LoadedHive Load(const std::string& path) {
    LoadedHive loaded;
    std::string text;
    switch (ReadWholeFile(path, text, loaded.error)) {
        case ReadState::Absent:
            loaded.ok = true;
            return loaded;
        case ReadState::Failed:
            return loaded;
        case ReadState::Read:
            break;
    }
    ParseResult parsed = ParseHiveText(text);
    if (!parsed.ok) {
        loaded.error = path + ": " + parsed.error;
        return loaded;
    }
    loaded.ok = true;
    loaded.root = std::move(parsed.root);
    return loaded;
}

// The last file read and its tree, shared by every reader in the process.
struct ReadCache {
    std::mutex mutex;
    std::string path;
    std::string text;
    std::shared_ptr<const Key> root;
};

// The read cache. Each library that links this code has one of its own; that is harmless,
// since a cache is only used while the file's text is what it was read from.
ReadCache& Cache() {
    static ReadCache cache;
    return cache;
}

// Writes the text to a new file in the same folder and renames it over `path`. The new file
// has one fixed name and is only made under the hive's lock: a writer killed on the way
// leaves that one file behind, and the next writer takes its place.
bool ReplaceFile(const std::string& path, const std::string& text) {
    const std::string temporary = ParentFolder(path) + "/." + FileName(path) + ".tmp";
    if (unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return false;
    // O_EXCL: whatever appears at the name after the unlink is never written through.
    FileDescriptor fd(
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return false;
    const bool written = fchmod(fd.get(), 0600) == 0 &&
                         WriteAll(fd.get(), text.data(), text.size()) && fsync(fd.get()) == 0 &&
                         fd.Close();
    // The new file's data is on disk before the rename makes it the hive, so after a crash
    // the name holds the old file or the new one. The folder itself is not flushed: that
    // would only decide which of the two, and doubles the cost of every change.
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string HiveFilePath() {
    return ConfigFolder() + "/lumbrook/HKEY_CURRENT_USER.reg";
}

HiveSnapshot ReadHive() {
    const std::string path = HiveFilePath();
    HiveSnapshot snapshot;
    std::string text;
    switch (ReadWholeFile(path, text, snapshot.error)) {
        case ReadState::Absent:
            snapshot.ok = true;
            snapshot.root = std::make_shared<const Key>();
            return snapshot;
        case ReadState::Failed:
            snapshot.root = std::make_shared<const Key>();
            return snapshot;
        case ReadState::Read:
            break;
    }
    ReadCache& cache = Cache();
    {
        std::lock_guard lock(cache.mutex);
        if (cache.root != nullptr && cache.path == path && cache.text == text) {
            snapshot.ok = true;
            snapshot.root = cache.root;
            return snapshot;
        }
    }
    ParseResult parsed = ParseHiveText(text);
    if (!parsed.ok) {
        snapshot.error = path + ": " + parsed.error;
        snapshot.root = std::make_shared<const Key>();
        return snapshot;
    }
    snapshot.ok = true;
    snapshot.root = std::make_shared<const Key>(std::move(parsed.root));
    std::lock_guard lock(cache.mutex);
    cache.path = path;
    cache.text = std::move(text);
    cache.root = snapshot.root;
    return snapshot;
}

LONG ChangeHive(const HiveChange& change) {
    const std::string path = HiveFilePath();
    if (!MakeFolders(ParentFolder(path)))
        return ERROR_ACCESS_DENIED;
    // The lock lives on a file of its own: the hive itself is replaced by every change, and a
    // lock on a replaced file would protect nothing.
    FileDescriptor lock(
        open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return ERROR_ACCESS_DENIED;
    while (flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return ERROR_ACCESS_DENIED;
    }
    const std::string file = FollowLinks(path);
    struct stat info {};
    if (stat(file.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return ERROR_BADDB;
        // The owner's write bit is what makes the file writable here; root, whom the
        // kernel lets write anyway, must not override a file its owner made read-only.
        if ((info.st_mode & S_IWUSR) == 0)
            return ERROR_ACCESS_DENIED;
    } else if (errno != ENOENT) {
        return ERROR_ACCESS_DENIED;
    }
    LoadedHive current = Load(file);
    if (!current.ok)
        return ERROR_BADDB;
    bool modified = false;
    const LONG result = change(current.root, modified);
    if (result != ERROR_SUCCESS || !modified)
        return result;
    const std::string text = WriteHiveText(current.root, "");
    if (text.size() > kMaxHiveBytes)
        return ERROR_NOT_ENOUGH_QUOTA;
    return ReplaceFile(file, text) ? ERROR_SUCCESS : ERROR_BADDB;
}

bool ReadRegistryFile(const std::string& path, std::string& text, std::string& error) {
    switch (ReadWholeFile(path, text, error)) {
        case ReadState::Read:
            return true;
        case ReadState::Absent:
            error = path + ": cannot open: " + std::strerror(ENOENT);
            return false;
        case ReadState::Failed:
            break;
    }
    return false;
}

}  // namespace lumbrook::platform::registry
