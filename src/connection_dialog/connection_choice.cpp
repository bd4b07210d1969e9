#include "connection_dialog/connection_choice.h"

#include "database/connection_string.h"

namespace lumbrook::connection_dialog {
namespace {

using database::Enclose;
using database::ValueQuoting;
using database::ValueText;

// An OLE DB pair: the value in double quotes when it would not read back as itself plain.
std::string OleDbPair(const char* key, const std::string& value) {
    return std::string(key) + "=" + ValueText(value, ValueQuoting::DoubleQuotes) + ";";
}

// An ODBC pair: the value in braces when it would not read back as itself plain.
std::string OdbcPair(const char* key, const std::string& value) {
    return std::string(key) + "=" + ValueText(value, ValueQuoting::Braces) + ";";
}

}  // namespace

std::string BuildConnectionString(const ConnectionChoice& choice) {
    switch (choice.kind) {
        case ConnectionKind::SqliteFile:
            if (choice.file.empty())
                return {};
            return "Provider=SQLite;" + OleDbPair("Data Source", choice.file);
        case ConnectionKind::OdbcDataSource: {
            if (choice.dataSource.empty())
                return {};
            // The part after the provider goes to the ODBC driver manager unchanged.
            std::string text = "Provider=MSDASQL;" + OdbcPair("DSN", choice.dataSource);
            if (!choice.user.empty())
                text += OdbcPair("UID", choice.user);
            if (!choice.password.empty())
                text += OdbcPair("PWD", choice.password);
            return text;
        }
        case ConnectionKind::OdbcDriver: {
            if (choice.driver.empty())
                return {};
            // A driver name always goes in braces, as ODBC writes it.
            std::string text = "Provider=MSDASQL;Driver=" +
                               ValueText(choice.driver, ValueQuoting::Braces, Enclose::Always) +
                               ";";
            if (!choice.server.empty())
                text += OdbcPair("Server", choice.server);
            if (!choice.port.empty())
                text += OdbcPair("Port", choice.port);
            if (!choice.database.empty())
                text += OdbcPair("Database", choice.database);
            if (!choice.user.empty())
                text += OdbcPair("Uid", choice.user);
            if (!choice.password.empty())
                text += OdbcPair("Pwd", choice.password);
            return text;
        }
        case ConnectionKind::OracleService: {
            if (choice.dataSource.empty())
                return {};
            std::string text = "Provider=OraOLEDB.Oracle.1;";
            if (!choice.user.empty())
                text += OleDbPair("User ID", choice.user);
            if (!choice.password.empty())
                text += OleDbPair("Password", choice.password);
            return text + OleDbPair("Data Source", choice.dataSource);
        }
    }
    return {};
}

}  // namespace lumbrook::connection_dialog
