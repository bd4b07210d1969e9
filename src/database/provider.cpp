#include "database/provider.h"

#include <cctype>

#include "database/connection_string.h"
#include "database/database_error.h"
#include "database/odbc/odbc_provider.h"
#include "database/sqlite/sqlite_provider.h"
#include "platform/base/ascii_case.h"

namespace lumbrook::database {
namespace {

// "Name" or "Name.N" with N one or more digits, without regard to case.
bool IsProvider(std::string_view value, std::string_view name) {
    if (value.size() < name.size() ||
        !platform::EqualsIgnoringAsciiCase(value.substr(0, name.size()), name))
        return false;
    std::string_view version = value.substr(name.size());
    if (version.empty())
        return true;
    if (version.front() != '.' || version.size() < 2)
        return false;
    for (char c : version.substr(1)) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// An ODBC attribute value, in braces when it would not read back as itself otherwise.
std::string OdbcValue(const std::string& value) {
    return ValueText(value, ValueQuoting::Braces);
}

}  // namespace

std::unique_ptr<Provider> OpenProvider(const std::string& connectionString,
                                       const std::string& userId, const std::string& password) {
    const ConnectionString parsed = ConnectionString::Parse(connectionString);
    const std::string provider = parsed.Get("Provider").value_or("MSDASQL");

    if (IsProvider(provider, "SQLite")) {
        const auto path = parsed.Get("Data Source");
        if (!path || path->empty())
            throw DatabaseError("The SQLite connection string names no Data Source");
        return std::make_unique<SqliteProvider>(*path);
    }
    if (IsProvider(provider, "MSDASQL")) {
        // Everything but Provider goes to the driver manager as written.
        std::string odbc = parsed.TextWithout("Provider");
        if (!userId.empty())
            odbc += ";UID=" + OdbcValue(userId);
        if (!password.empty())
            odbc += ";PWD=" + OdbcValue(password);
        return std::make_unique<OdbcProvider>(odbc);
    }
    if (IsProvider(provider, "OraOLEDB.Oracle")) {
        // The site's ODBC data source carries the database's name (TSQUARED).
        std::string odbc = "DSN=" + OdbcValue(parsed.Get("Data Source").value_or(""));
        const std::string uid = userId.empty() ? parsed.Get("User ID").value_or("") : userId;
        const std::string pwd = password.empty() ? parsed.Get("Password").value_or("") : password;
        if (!uid.empty())
            odbc += ";UID=" + OdbcValue(uid);
        if (!pwd.empty())
            odbc += ";PWD=" + OdbcValue(pwd);
        return std::make_unique<OdbcProvider>(odbc);
    }
    throw DatabaseError("Provider cannot be found: \"" + provider +
                        "\" (this program knows SQLite, MSDASQL and OraOLEDB.Oracle)");
}

std::string SourceNameOf(const std::string& connectionString) {
    try {
        const ConnectionString parsed = ConnectionString::Parse(connectionString);
        for (const char* key : {"Data Source", "DSN", "Driver"}) {
            if (auto value = parsed.Get(key); value && !value->empty())
                return *value;
        }
    } catch (const DatabaseError&) {
        // A string that does not parse opens nothing, so it names nothing.
    }
    return {};
}

}  // namespace lumbrook::database
