#include "connect_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "command.h"
#include "server.h"

namespace lumbrook::host {
namespace {

// The longest first line taken from --connect-file, without its line break. A connection
// string is a few hundred bytes; the bound keeps a huge file from being read into memory.
constexpr std::size_t kLongestLine = 64 * 1024;

// Closes a descriptor when the reading ends, however it ends.
struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

// What a file that is not a regular one is, for the message that refuses it.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

}  // namespace

void ConnectOptions::Declare(CLI::App& app) {
    CLI::Option* string =
        app.add_option("-c,--connect", connect,
                       "connection string (default: the object's ODBCString preference)")
            ->type_name("STRING");
    app.add_option("--connect-file", connectFile,
                   "read the connection string from the first line of FILE, a regular file "
                   "that only you may read")
        ->type_name("FILE")
        ->excludes(string);
}

int ConnectOptions::Apply(_Lumbrook& object) const {
    std::string text = connect;
    if (!connectFile.empty()) {
        std::string error;
        text = ReadConnectFile(connectFile, error);
        if (!error.empty()) {
            std::cerr << "lumbrook: " << error << "\n";
            return kExitFailed;
        }
    } else if (connect.empty()) {
        return kExitOk;  // the object's own string stands
    }
    if (const HRESULT hr = PutText(object, &_Lumbrook::put_ODBCString, text); FAILED(hr))
        return ReportObjectError("setting ODBCString", hr);
    return kExitOk;
}

int ConnectObject(_Lumbrook& object, const std::string& command, std::string* failure) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (const HRESULT hr = object.Connect(&connected); FAILED(hr)) {
        // The error info can be read once: the text is kept for both.
        const std::string text = "Connect: " + DescribeError(hr);
        if (failure != nullptr)
            *failure = text;
        std::cerr << "lumbrook: " << text << "\n";
        return kExitObjectError;
    }
    if (connected != VARIANT_FALSE)
        return kExitOk;
    std::string why;
    if (const auto support = HostSupport(object)) {
        BSTR text = nullptr;
        if (SUCCEEDED(support->GetLastConnectError(&text)))
            why = TakeText(text);
    }
    const std::string text = "Connect returned false: the database cannot be used" +
                             (why.empty() ? std::string() : ": " + why);
    if (failure != nullptr)
        *failure = text;
    std::cerr << "lumbrook " << command << ": " << text << "\n";
    return kExitFailed;
}

std::string ReadConnectFile(const std::string& path, std::string& error) {
    // O_NONBLOCK: opening a FIFO waits for a writer otherwise; a regular file ignores it.
    // A symbolic link is followed: the checks below are on the file it leads to.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return {};
    }
    const FileCloser closer{fd};
    // The type and the mode are checked on the file that was opened, not on the name again.
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is " + KindOf(info.st_mode) + ", not a regular file";
        return {};
    }
    if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        error = path + " is readable by others (mode " + mode +
                "); it may hold a password (chmod go-r " + path + ")";
        return {};
    }
    // The first line and its break, or the first kLongestLine + 1 bytes: whatever the file's
    // size, no more is read or held.
    std::string text(kLongestLine + 1, '\0');
    std::size_t have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(fd, text.data() + have, text.size() - have);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return {};
        }
        if (got == 0)
            break;
        const bool lineRead = std::memchr(text.data() + have, '\n', got) != nullptr;
        have += static_cast<std::size_t>(got);
        if (lineRead)
            break;
    }
    text.resize(have);
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos && have > kLongestLine) {
        error = path + ": the first line is longer than 64 KiB; it is not a connection string";
        return {};
    }
    text.resize(std::min(lineEnd, text.size()));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    // No connection string holds a NUL byte: this is not the text file meant.
    if (text.find('\0') != std::string::npos) {
        error = path + ": the first line holds a NUL byte; it is not a connection string";
        return {};
    }
    if (text.empty())
        error = path + " holds no connection string";
    return text;
}

}  // namespace lumbrook::host
