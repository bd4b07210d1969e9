#include "connection_dialog/odbc_catalog.h"

#include <sql.h>
#include <sqlext.h>

namespace lumbrook::connection_dialog {
namespace {

// An ODBC environment handle for one listing, freed on every way out.
class Environment {
  public:
    Environment() {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_))) {
            handle_ = SQL_NULL_HENV;
            return;
        }
        SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      0);
    }
    ~Environment() {
        if (handle_ != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, handle_);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;
    SQLHENV get() const { return handle_; }

  private:
    SQLHENV handle_ = SQL_NULL_HENV;
};

}  // namespace

std::vector<std::string> OdbcDataSourceNames() {
    std::vector<std::string> names;
    Environment env;
    if (env.get() == SQL_NULL_HENV)
        return names;
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env.get(), direction, name, sizeof name, &nameLength,
                                        description, sizeof description, &descriptionLength))) {
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

std::vector<std::string> OdbcDriverNames() {
    std::vector<std::string> names;
    Environment env;
    if (env.get() == SQL_NULL_HENV)
        return names;
    SQLCHAR name[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env.get(), direction, name, sizeof name, &nameLength,
                                    attributes, sizeof attributes, &attributesLength))) {
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

}  // namespace lumbrook::connection_dialog
