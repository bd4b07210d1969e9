// The connection options every database subcommand shares: -c/--connect STRING and
// --connect-file FILE, which keeps a password out of the process list.
#pragma once

#include <string>

#include "lumbrook/lumbrook.h"

namespace CLI {
class App;
}

namespace lumbrook::host {

struct ConnectOptions {
    std::string connect;
    std::string connectFile;

    // Declares both options on `app`; they exclude one another.
    void Declare(CLI::App& app);
    // Sets the object's ODBCString from the option given, if any. Returns kExitOk, or prints
    // why not and returns the exit status (1 for a file that cannot be used, 3 when the
    // object refuses the string).
    int Apply(_Lumbrook& object) const;
};

// Calls Connect. Returns kExitOk, or prints why not (the database's text when it refused),
// tells `failure` the same text when given, and returns the exit status.
int ConnectObject(_Lumbrook& object, const std::string& command, std::string* failure = nullptr);

// Reads the connection string from `path`: its first line, without the line break, of at
// most 64 KiB. The file must be a regular file (a FIFO, a device or a folder is refused
// before anything is read from it) that neither its group nor others may read, since it
// holds a password. Returns "" and sets `error`, which names the file and says why, when it
// cannot be used.
std::string ReadConnectFile(const std::string& path, std::string& error);

}  // namespace lumbrook::host
