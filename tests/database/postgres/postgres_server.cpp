#include "postgres_server.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

#include "database/connection.h"
#include "database/schema.h"

namespace lumbrook::database::testing {
namespace {

const std::string kState = LUMBROOK_PG_STATE;

void RunAll(Connection& connection, std::string_view sql) {
    for (const std::string& statement : SplitStatements(sql))
        connection.Execute(statement);
}

}  // namespace

const PostgresCluster& PostgresCluster::Get() {
    // cluster.env: lines of port=, user= and password=. Every test asks for the cluster before
    // its first connection, so the driver manager reads the private ODBC files from the start.
    static const PostgresCluster cluster = [] {
        setenv("ODBCSYSINI", kState.c_str(), 1);
        setenv("ODBCINI", (kState + "/odbc.ini").c_str(), 1);
        PostgresCluster result;
        std::ifstream in(kState + "/cluster.env");
        for (std::string line; std::getline(in, line);) {
            const std::string value = line.substr(line.find('=') + 1);
            if (line.starts_with("port="))
                result.port = std::stoi(value);
            else if (line.starts_with("user="))
                result.user = value;
            else if (line.starts_with("password="))
                result.password = value;
        }
        return result;
    }();
    if (cluster.port == 0)
        ADD_FAILURE() << "no PostgreSQL test cluster in " << kState << " (run through ctest)";
    return cluster;
}

std::string PostgresCluster::MsdasqlString(const std::string& database) const {
    return "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
           std::to_string(port) + ";Database=" + database + ";Uid=" + user + ";Pwd=" + password;
}

void PostgresCluster::Control(const std::string& command) {
    const std::string line = "'" LUMBROOK_PG_SCRIPT "' " + command + " '" + kState + "'";
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
}

PostgresDatabase::PostgresDatabase(bool baseViews) {
    static std::atomic<int> counter{0};
    name_ = "test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    const PostgresCluster& cluster = PostgresCluster::Get();
    {
        Connection maintenance;
        maintenance.Open(cluster.MsdasqlString("postgres"));
        maintenance.Execute("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        maintenance.Execute("CREATE DATABASE " + name_);
    }
    Connection connection;
    connection.Open(ConnectionString());
    RunAll(connection, SchemaText(SchemaDialect::PostgreSQL));
    if (baseViews)
        RunAll(connection, BaseViewsText(SchemaDialect::PostgreSQL));
}

PostgresDatabase::~PostgresDatabase() {
    try {
        Connection maintenance;
        maintenance.Open(PostgresCluster::Get().MsdasqlString("postgres"));
        maintenance.Execute("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (const std::exception& e) {
        // The cluster goes away with the fixture; a database left behind harms no test.
        std::fprintf(stderr, "could not drop %s: %s\n", name_.c_str(), e.what());
    }
}

void PostgresDatabase::Run(const std::string& sql) {
    Connection connection;
    connection.Open(ConnectionString());
    RunAll(connection, sql);
}

std::string PostgresDatabase::ConnectionString() const {
    return PostgresCluster::Get().MsdasqlString(name_);
}

}  // namespace lumbrook::database::testing
