#include "connect_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "command.h"
#include "server.h"

namespace lumbrook::host {

void ConnectOptions::Declare(CLI::App& app) {
    CLI::Option* string =
        app.add_option("-c,--connect", connect,
                       "connection string (default: the object's ODBCString preference)")
            ->type_name("STRING");
    app.add_option("--connect-file", connectFile,
                   "read the connection string from the first line of FILE, which must not be "
                   "readable by others")
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

int ConnectObject(_Lumbrook& object, const std::string& command) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (const HRESULT hr = object.Connect(&connected); FAILED(hr))
        return ReportObjectError("Connect", hr);
    if (connected != VARIANT_FALSE)
        return kExitOk;
    std::string why;
    if (const auto support = HostSupport(object)) {
        BSTR text = nullptr;
        if (SUCCEEDED(support->GetLastConnectError(&text)))
            why = TakeText(text);
    }
    std::cerr << "lumbrook " << command << ": Connect returned false: the database cannot be used"
              << (why.empty() ? std::string() : ": " + why) << "\n";
    return kExitFailed;
}

std::string ReadConnectFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return {};
    }
    // The mode is checked on the file that was opened, not on the name again.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || (info.st_mode & S_IROTH) != 0) {
        ::close(fd);
        error = path + " is readable by others; it may hold a password (chmod o-r " + path + ")";
        return {};
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            ::close(fd);
            return {};
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.empty())
        error = path + " holds no connection string";
    return text;
}

}  // namespace lumbrook::host
