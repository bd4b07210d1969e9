// One open session with a database, behind Connection: the SQLite provider or the ODBC one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "database/file_identity.h"
#include "database/recordset.h"

namespace lumbrook::database {

class Provider {
  public:
    virtual ~Provider() = default;

    // Runs one statement and fetches every row it yields; a statement without a result
    // gives an empty row set. `timeoutSeconds` of 0 or less waits without limit.
    // DatabaseError on failure and on time-out (SQLSTATE HYT00).
    virtual Recordset Execute(const std::string& commandText, int timeoutSeconds) = 0;

    // True when the server speaks Oracle's SQL, so that ROWNUM is left alone.
    virtual bool IsOracle() const = 0;

    // The database file this session reads, for providers that read a local file.
    virtual std::optional<FileIdentity> DatabaseFile() const { return std::nullopt; }

    // A question asked often while a statement runs (at least several times a second):
    // true interrupts the statement, which then fails with DatabaseError "Operation
    // canceled" (SQLSTATE HY008), told apart from a time-out. Providers that cannot ask it
    // while the statement runs ignore it (an ODBC statement ends at its time-out). An empty
    // function asks nothing.
    virtual void SetInterruptCheck(std::function<bool()> check) { static_cast<void>(check); }

    // Ends the session. DatabaseError when the database reports a failure; the provider
    // is closed afterwards either way. The destructor closes quietly.
    virtual void Close() = 0;
};

// Opens the provider that the connection string's Provider key names: SQLite, MSDASQL
// (also the default when no Provider is given, as with OLE DB) or OraOLEDB.Oracle with an
// optional ".N". A non-empty `userId` or `password` stands in for the string's own.
// DatabaseError on failure; an unknown provider's message names it.
std::unique_ptr<Provider> OpenProvider(const std::string& connectionString,
                                       const std::string& userId, const std::string& password);

// The name of the database a connection string opens, for people and for the files made from
// it: the SQLite file's path, or the data source (Data Source or DSN, else the ODBC driver).
// Never a user or a password. "" for a string OpenProvider would refuse.
std::string SourceNameOf(const std::string& connectionString);

}  // namespace lumbrook::database
