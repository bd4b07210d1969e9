// The throwaway PostgreSQL cluster that CTest's fixture starts (pg_cluster.sh), and test
// databases in it, each built through ODBC from the committed schema.
#pragma once

#include <string>

namespace lumbrook::database::testing {

struct PostgresCluster {
    int port = 0;
    std::string user;
    std::string password;

    // The running cluster of this build tree; fails the test when the fixture is missing. The
    // first call points the driver manager at the fixture's private odbc.ini and odbcinst.ini.
    static const PostgresCluster& Get();

    // A DSN-less string for `database` through the PostgreSQL Unicode driver.
    std::string MsdasqlString(const std::string& database) const;

    // Runs pg_cluster.sh's "stop" or "start" (pg_ctl), for the test that loses the server in
    // mid-query.
    static void Control(const std::string& command);
};

class PostgresDatabase {
  public:
    // Creates a database of a name of its own with the schema, and the BASE_ views when
    // `baseViews` is set.
    explicit PostgresDatabase(bool baseViews = true);
    ~PostgresDatabase();
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;

    // Runs the statements of `sql` (each ending with ";" at a line's end).
    void Run(const std::string& sql);

    std::string ConnectionString() const;
    const std::string& Name() const { return name_; }

  private:
    std::string name_;
};

}  // namespace lumbrook::database::testing
