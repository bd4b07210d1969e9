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

// SQLDataSources and SQLDrivers: one row of a catalog listing per call, a name and a text.
using CatalogCall = SQLRETURN (*)(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                                  SQLCHAR*, SQLSMALLINT, SQLSMALLINT*);

// The names of every row of a catalog listing, in the driver manager's order; none when the
// environment cannot be made.
std::vector<std::string> CatalogNames(CatalogCall call) {
    std::vector<std::string> names;
    Environment env;
    if (env.get() == SQL_NULL_HENV)
        return names;
    SQLCHAR name[256];
    SQLCHAR text[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT textLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(call(env.get(), direction, name, sizeof name, &nameLength, text,
                              sizeof text, &textLength))) {
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

}  // namespace

std::vector<std::string> OdbcDataSourceNames() {
    return CatalogNames(SQLDataSources);
}

std::vector<std::string> OdbcDriverNames() {
    return CatalogNames(SQLDrivers);
}

}  // namespace lumbrook::connection_dialog
