#include "connection_dialog/connection_spec.h"

namespace lumbrook::connection_dialog {
namespace {

// Characters after which a plain value could not be read back as the same text.
bool NeedsQuoting(const std::string& value, const char* special) {
    if (value.empty())
        return false;
    if (value.front() == ' ' || value.back() == ' ')
        return true;
    return value.find_first_of(special) != std::string::npos;
}

// An OLE DB pair: the value in double quotes when it holds ; " ' or = or outer blanks.
std::string OleDbPair(const char* key, const std::string& value) {
    if (!NeedsQuoting(value, ";\"'="))
        return std::string(key) + "=" + value + ";";
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return std::string(key) + "=" + quoted + "\";";
}

// An ODBC pair: the value in braces when it holds ; { } or = (a closing brace doubled).
std::string OdbcPair(const char* key, const std::string& value) {
    if (!NeedsQuoting(value, ";{}="))
        return std::string(key) + "=" + value + ";";
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}')
            braced += '}';
    }
    return std::string(key) + "=" + braced + "};";
}

}  // namespace

std::string BuildConnectionString(const ConnectionSpec& spec) {
    switch (spec.kind) {
        case ConnectionKind::SqliteFile:
            if (spec.file.empty())
                return {};
            return "Provider=SQLite;" + OleDbPair("Data Source", spec.file);
        case ConnectionKind::OdbcDataSource: {
            if (spec.dataSource.empty())
                return {};
            // The part after the provider goes to the ODBC driver manager unchanged.
            std::string text = "Provider=MSDASQL;" + OdbcPair("DSN", spec.dataSource);
            if (!spec.user.empty())
                text += OdbcPair("UID", spec.user);
            if (!spec.password.empty())
                text += OdbcPair("PWD", spec.password);
            return text;
        }
        case ConnectionKind::OdbcDriver: {
            if (spec.driver.empty())
                return {};
            // A driver name always goes in braces, as ODBC writes it.
            std::string text = "Provider=MSDASQL;Driver={";
            for (char c : spec.driver) {
                text += c;
                if (c == '}')
                    text += '}';
            }
            text += "};";
            if (!spec.server.empty())
                text += OdbcPair("Server", spec.server);
            if (!spec.port.empty())
                text += OdbcPair("Port", spec.port);
            if (!spec.database.empty())
                text += OdbcPair("Database", spec.database);
            if (!spec.user.empty())
                text += OdbcPair("Uid", spec.user);
            if (!spec.password.empty())
                text += OdbcPair("Pwd", spec.password);
            return text;
        }
        case ConnectionKind::OracleService: {
            if (spec.dataSource.empty())
                return {};
            std::string text = "Provider=OraOLEDB.Oracle.1;";
            if (!spec.user.empty())
                text += OleDbPair("User ID", spec.user);
            if (!spec.password.empty())
                text += OleDbPair("Password", spec.password);
            return text + OleDbPair("Data Source", spec.dataSource);
        }
    }
    return {};
}

}  // namespace lumbrook::connection_dialog
