// Test databases in SQLite: a fresh file in a temporary folder, built from the committed
// schema, with rows added by plain SQL.
#pragma once

#include <string>

namespace lumbrook::database::testing {

class SqliteDatabase {
  public:
    // Creates `name` in a new temporary folder with the schema, and the BASE_ views when
    // `baseViews` is set.
    explicit SqliteDatabase(bool baseViews = true, const std::string& name = "test.sqlite");
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements on a writable session of the test's own, closed again before it
    // returns; fails the test on error.
    void Run(const std::string& sql);
    // Adds a few folders, spot sets, job runs, items, peak lists and peaks.
    void AddSampleRows();

    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return folder_; }
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }

  private:
    std::string folder_;
    std::string path_;
};

// The sample rows as SQL, valid for SQLite and PostgreSQL alike.
const char* SampleRowsSql();

}  // namespace lumbrook::database::testing
