#include "connection_dialog/connection_choice.h"

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
            std::string text = "Provider=MSDASQL;Driver={";
            for (char c : choice.driver) {
                text += c;
                if (c == '}')
                    text += '}';
            }
            text += "};";
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
