// What the connection builder collects, and the OLE DB connection string made from it.
#pragma once

#include <string>

namespace lumbrook::connection_dialog {

enum class ConnectionKind {
    SqliteFile,      // an SQLite database file
    OdbcDataSource,  // an ODBC data source name known to the driver manager
    OdbcDriver,      // an ODBC driver with server, port and database
    OracleService,   // an Oracle data source name
};

struct ConnectionChoice {
    ConnectionKind kind = ConnectionKind::SqliteFile;
    std::string file;        // SqliteFile
    std::string dataSource;  // OdbcDataSource, OracleService
    std::string driver;      // OdbcDriver
    std::string server;      // OdbcDriver
    std::string port;        // OdbcDriver, may be empty
    std::string database;    // OdbcDriver
    std::string user;
    std::string password;
};

// The connection string for `choice`; empty when a required part (the file, the data source,
// the driver) is missing. Values are written by the connection string's one escaping rule
// (database::ValueText): OLE DB values in double quotes, ODBC values in braces, each only
// when it would not read back as itself plain; the driver name always in braces.
std::string BuildConnectionString(const ConnectionChoice& choice);

}  // namespace lumbrook::connection_dialog
