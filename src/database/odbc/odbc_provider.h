// The ODBC provider: a session through the unixODBC driver manager.
#pragma once

#include <sql.h>

#include <string>

#include "database/provider.h"

namespace lumbrook::database {

class OdbcProvider final : public Provider {
  public:
    // Connects with SQLDriverConnect and `odbcConnectionString` as it is, never prompting.
    explicit OdbcProvider(const std::string& odbcConnectionString);
    ~OdbcProvider() override;
    OdbcProvider(const OdbcProvider&) = delete;
    OdbcProvider& operator=(const OdbcProvider&) = delete;

    // The time-out is the statement's SQL_ATTR_QUERY_TIMEOUT.
    Recordset Execute(const std::string& commandText, int timeoutSeconds) override;
    bool IsOracle() const override { return oracle_; }
    // Disconnects; the handles are freed whether or not the disconnect succeeds.
    void Close() override;

  private:
    // Frees the connection and environment handles; the session is disconnected already or
    // was never connected.
    void FreeHandles();

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    // From SQL_DBMS_NAME: the server is Oracle.
    bool oracle_ = false;
};

}  // namespace lumbrook::database
