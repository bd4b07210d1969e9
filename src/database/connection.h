// A database connection in the image of the platform's connection object: opened from an
// OLE DB style connection string; commands are text with a time-out and give a client-side
// Recordset, every row fetched (so a client-side cursor is the only kind there is).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "database/file_identity.h"
#include "database/recordset.h"

namespace lumbrook::database {

class Provider;  // one open session with a database (SQLite or ODBC); see provider.h

// The time-out every command of the program runs with, in seconds.
inline constexpr int kCommandTimeoutSeconds = 15;

class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the connection. The provider is chosen by the string's Provider key
    // (SQLite, MSDASQL, OraOLEDB.Oracle[.N]). DatabaseError on any failure, with the
    // database's own text; an unknown provider's message names it.
    void Open(const std::string& connectionString, const std::string& userId = {},
              const std::string& password = {});
    // True from a successful Open until Close.
    bool IsOpen() const;
    // Closes the connection; closing a closed connection raises DatabaseError, as the
    // platform's connection object does, so callers that do not care catch it.
    void Close();

    // Runs a text command with a time-out in seconds and fetches every row. On a server that
    // is not Oracle the command's trailing ROWNUM limit is rewritten first (dialect.h).
    // DatabaseError when the connection is not open, the statement fails or times out.
    Recordset Execute(const std::string& commandText, int timeoutSeconds = kCommandTimeoutSeconds);

    // The identity of the database file the connection reads (SQLite), or nothing.
    std::optional<FileIdentity> DatabaseFile() const;
    // The name of the database the connection reads (see SourceNameOf in provider.h); "" when
    // it is not open.
    const std::string& SourceName() const { return sourceName_; }

    // Asked while the connection's statements run: true interrupts the one under way (see
    // Provider::SetInterruptCheck). An empty function removes the check.
    void SetInterruptCheck(std::function<bool()> check);

    // Test seam: called with the text of every command before it runs (after the dialect
    // rewrite), so tests can count and inspect the queries a feature issues.
    static void SetCommandObserver(std::function<void(const std::string&)> observer);

  private:
    std::unique_ptr<Provider> provider_;
    std::string sourceName_;
};

}  // namespace lumbrook::database
