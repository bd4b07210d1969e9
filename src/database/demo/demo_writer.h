// Writes the rows of a demo database into a new SQLite file, as fast as SQLite allows:
// prepared statements, one transaction, no journal. Only the demo generator and the tests'
// fixtures write a database; the program itself opens every database read-only.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

namespace lumbrook::database::demo {

class DemoWriter {
  public:
    // Columns that may be NULL.
    using Text = std::optional<std::string_view>;
    using Number = std::optional<double>;

    // Creates `path`, which must not exist yet, with the schema text given. With no schema,
    // a database already at `path` is opened for more rows.
    DemoWriter(const std::string& path, std::string_view schema);
    // Closes the file; one that was not finished is left incomplete for the caller to
    // remove.
    ~DemoWriter();
    DemoWriter(const DemoWriter&) = delete;
    DemoWriter& operator=(const DemoWriter&) = delete;

    // Runs SQL text of one or more statements that give no rows (the schema, pragmas);
    // DatabaseError on failure.
    void Execute(std::string_view sql);

    // Each Add writes one row of the table it names, the arguments in the table's column
    // order; DatabaseError when SQLite refuses it. An empty optional is NULL.
    void AddFolder(long id, std::optional<long> parent, const std::string& name, int objectType);
    void AddSpot(long id, long spotSet, const std::string& label, Text name, Text type);
    // Times as "YYYY-MM-DD HH:MM:SS".
    void AddJobRun(long id, long spotSet, const std::string& opmode, Text submit, Text start,
                   Text finish);
    void AddItem(long id, long jobRun, long spot, Number precursorMass, Text acq, Text proc,
                 Text interp, int numericStatus);
    void AddPeakList(long id, long item);
    void AddPeak(long peakList, int number, double centroid, Number area, Number signalToNoise,
                 int isotopicFlag, Number apex);

    // Commits and closes; DatabaseError when SQLite reports a failure.
    void Finish();

  private:
    // A prepared insert, finalised by the destructor; DatabaseError naming the SQL on failure.
    sqlite3_stmt* Prepare(const char* sql);
    // Runs a bound insert and resets it for the next row; DatabaseError naming its SQL.
    void Step(sqlite3_stmt* statement);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* folder_ = nullptr;
    sqlite3_stmt* spot_ = nullptr;
    sqlite3_stmt* jobRun_ = nullptr;
    sqlite3_stmt* item_ = nullptr;
    sqlite3_stmt* peakList_ = nullptr;
    sqlite3_stmt* peak_ = nullptr;
};

}  // namespace lumbrook::database::demo
